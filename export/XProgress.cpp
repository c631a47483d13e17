#include "XProgress.h"

#include "platform/UiServices.h"

#include <cstdio>

namespace ovena {

namespace {

constexpr int EscKey = 27;

// The message with its "%d" replaced by the count and its "%.2f" by the seconds.
std::string progressMessage(const std::string& format, int count, double seconds) {
    char countText[16];
    char secondsText[32];
    std::snprintf(countText, sizeof countText, "%d", count);
    std::snprintf(secondsText, sizeof secondsText, "%.2f", seconds);
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 2, "%d") == 0) {
            out += countText;
            i += 1;
        } else if (format.compare(i, 4, "%.2f") == 0) {
            out += secondsText;
            i += 3;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace

TProgressForm::TProgressForm(UiServices& ui, std::string caption, std::string panelText,
                             std::string messageFormat, int total)
    : ui_(ui), messageFormat_(std::move(messageFormat)), start_(std::chrono::steady_clock::now()) {
    Caption = std::move(caption);
    ClientWidth = 263;
    ClientHeight = 32;
    ExportPanel.Caption = std::move(panelText);
    counting_ = total < 0;
    if (counting_) {
        ProgressBar.Visible = false;
        ClientHeight = 57;
        ExportPanel.Visible = true;
    }
    stepEvery_ = total / 25 + 1;
    if (!counting_)
        ProgressBar.Max = total / stepEvery_;
}

TProgressForm::~TProgressForm() {
    Hide();
}

void TProgressForm::Show() {
    if (!Visible)
        ui_.showForm(*this);
}

void TProgressForm::Hide() {
    if (Visible)
        ui_.hideForm(*this);
}

bool TProgressForm::Update(int count) {
    if (count % stepEvery_ == 0) {
        if (counting_) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start_);
            ExportPanel.Caption = progressMessage(messageFormat_, count, elapsed.count() * 0.001);
            changed();
            ui_.processEvents();
        } else {
            ui_.processEvents();
            ProgressBar.Position = ProgressBar.Position + ProgressBar.Step > ProgressBar.Max
                                       ? ProgressBar.Max
                                       : ProgressBar.Position + ProgressBar.Step;
            changed();
        }
    }
    return !cancelled_;
}

void TProgressForm::FormKeyDown(int key) {
    if (key == EscKey)
        Close();
}

void TProgressForm::Close() {
    if (!Visible)
        return;
    cancelled_ = true;
    Hide();
}

} // namespace ovena
