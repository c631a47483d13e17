#pragma once

#include "procedures/Procedures.h"
#include "support/FakeUi.h"

#include "link/komm.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace ovena::test {

class SimulatedInstrument;

using namespace std::chrono_literals;

// The progress dialog as a list of what the procedure did to it: "start <title>", "status
// <text>", "max <n>", "pos <n>", "close". The user's cancel press is simulated by cancel(), or
// by naming the event at which the user presses it.
class RecordingProgress : public ProgressDialog {
public:
    std::vector<std::string> events;
    std::string cancelAt;

    void StartProgress(const std::string& title, bool cancellable) override;
    void ShowStatus(const std::string& text) override { record("status " + text); }
    void SetProgress(int position) override { record("pos " + std::to_string(position)); }
    void SetProgressMax(int maximum) override { record("max " + std::to_string(maximum)); }
    bool Cancelled() const override { return cancelled_; }
    void Close() override { record("close"); }
    void cancel() { cancelled_ = true; }

private:
    void record(const std::string& event);
    bool cancelled_ = false;
};

// A main window's worth of what the procedures need, against tev640-sim on COM5 (or a scripted
// peer): the fake UI, the real command exchange, the progress dialog and the readout data.
class ProcedureRig {
public:
    // 25 ms ticks give every exchange 500 ms: plenty for the simulator, short for time-outs.
    static constexpr std::chrono::milliseconds FastTick{25};
    static constexpr int Port = 5;

    explicit ProcedureRig(std::chrono::milliseconds tick = FastTick);
    ~ProcedureRig();

    // Starts the simulator on COM5 with this memory file and further options, logging every
    // command it receives.
    void startSim(const std::string& memoryFileText, std::vector<std::string> options = {});
    // The commands the simulator received, in order.
    std::vector<std::string> commands() const;

    FakeUi ui;
    TFormKomm komm;
    RecordingProgress progress;
    InstrumentData data;
    int port = Port;            // the port chosen
    bool newGeneration = false; // the generation check box
    int buildTableCalls = 0;
    std::vector<std::string> infoLines;
    std::string infoCaption;
    bool portOpenDuringInfo = false;
    CursorShape cursorDuringInfo = CursorShape::Hourglass;
    ProcedureHost host;

private:
    std::unique_ptr<SimulatedInstrument> sim_;
};

// The texts of the boxes shown, in order.
std::vector<std::string> boxTexts(const FakeUi& ui);

// The commands of a readout up to the record phase with `fuels` fuel names, ending with "R301".
std::vector<std::string> readoutStart(int fuels, const std::string& service = "SERVICE001");

// A memory file: the settings lines and then one record block per record (its lines split at
// "|").
std::string memoryFile(const std::string& settings, const std::vector<std::string>& records);

} // namespace ovena::test
