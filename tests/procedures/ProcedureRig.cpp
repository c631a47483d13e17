#include "ProcedureRig.h"

#include "support/SimulatedInstrument.h"
#include "support/TestEnvironment.h"

#include <stdexcept>

namespace ovena::test {

void RecordingProgress::StartProgress(const std::string& title, bool cancellable) {
    cancelled_ = false;
    record("start " + title + (cancellable ? " (cancellable)" : ""));
}

void RecordingProgress::record(const std::string& event) {
    events.push_back(event);
    if (event == cancelAt)
        cancelled_ = true;
}

ProcedureRig::ProcedureRig(std::chrono::milliseconds tick)
    : komm(ui, tick), host{ui,
                           komm,
                           progress,
                           data,
                           [this] { return port; },
                           [this] {
                               return newGeneration ? InstrumentGeneration::Second
                                                    : InstrumentGeneration::First;
                           },
                           [this] { ++buildTableCalls; },
                           [this](const std::vector<std::string>& lines,
                                  const std::string& caption) {
                               infoLines = lines;
                               infoCaption = caption;
                               portOpenDuringInfo = komm.Serial.Active;
                               cursorDuringInfo = ui.cursor();
                           }} {}

ProcedureRig::~ProcedureRig() = default;

void ProcedureRig::startSim(const std::string& memoryFileText, std::vector<std::string> options) {
    sim_.reset();
    sim_ = std::make_unique<SimulatedInstrument>(Port, memoryFileText, std::move(options));
}

std::vector<std::string> ProcedureRig::commands() const {
    return sim_->commands();
}

std::vector<std::string> boxTexts(const FakeUi& ui) {
    std::vector<std::string> texts;
    for (const FakeUi::ShownBox& box : ui.boxes)
        texts.push_back(box.text);
    return texts;
}

std::vector<std::string> readoutStart(int fuels, const std::string& service) {
    std::vector<std::string> commands{"", service, "R002", "R004", "R402"};
    for (int i = 1; i <= fuels; ++i)
        commands.push_back((i < 10 ? "R4010" : "R401") + std::to_string(i));
    commands.push_back("R301");
    return commands;
}

std::string memoryFile(const std::string& settings, const std::vector<std::string>& records) {
    std::string text = settings;
    for (std::string record : records) {
        for (char& c : record)
            if (c == '|')
                c = '\n';
        text += "record\n" + record + "\nend\n";
    }
    return text;
}

} // namespace ovena::test
