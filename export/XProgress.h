#pragma once

#include "platform/Form.h"

#include <chrono>
#include <string>

namespace ovena {

class UiServices;

// The progress window of an export. In bar mode (a total of 0 or more) a bar advances in at
// most 25 steps; in counting mode (a negative total) a panel shows how many items were
// exported in how many seconds.
//
// Cancelling: Esc (or closing the window) while the window is shown hides it and makes every
// later Update answer false, so the export loop stops before its next row. A window that was
// never shown cannot be closed and never cancels.
class TProgressForm : public Form {
public:
    struct ProgressBarState {
        int Left = 8, Top = 8, Width = 249, Height = 16;
        int Min = 0, Max = 100, Position = 0, Step = 1;
        bool Visible = true;
    };
    struct PanelState {
        int Left = 8, Top = 4, Width = 249, Height = 21;
        std::string Caption;
        bool Visible = false;
    };

    TProgressForm(UiServices& ui, std::string caption, std::string panelText,
                  std::string messageFormat, int total);
    ~TProgressForm() override;

    void Show();
    void Hide();
    // Answers false once the user has cancelled.
    bool Update(int count);
    // Key presses on the window; 27 is Esc.
    void FormKeyDown(int key);
    // The window's close box.
    void Close();

    bool Cancelled() const { return cancelled_; }

    ProgressBarState ProgressBar;
    PanelState ExportPanel;

private:
    UiServices& ui_;
    std::string messageFormat_;
    int stepEvery_ = 1;
    bool counting_ = false;
    bool cancelled_ = false;
    std::chrono::steady_clock::time_point start_;
};

} // namespace ovena
