#pragma once

#include "app/Controls.h"
#include "platform/Form.h"
#include "platform/UiServices.h"
#include "procedures/ProgressDialog.h"

#include <string>

namespace ovena {

// The progress dialog of an instrument procedure: borderless, always on top, a title, a status
// text or a progress bar in the same place, and an optional cancel button that the running
// procedure polls through `Cancelled`. Shown modelessly; closing it only hides it.
class TFormMInfo : public Form, public ProgressDialog {
public:
    static constexpr int CancellableHeight = 110;
    static constexpr int PlainHeight = 71;

    explicit TFormMInfo(UiServices& ui);

    Label LabelTitel;
    Label LabelInfo{"- - - "};
    ProgressBar Progress{0, 100, 0, 1, false};
    Label Labelinfo2;
    Button BtAbbruch{"&Abbruch"};

    // Prepares and shows the dialog for a new procedure: the title, an empty status text, no
    // bar, the cancel button and a 110-pixel height when `cancellable`, else 71 pixels.
    void StartProgress(const std::string& title, bool cancellable) override;
    // Each of these services the event queue, so the cancel button is heard while a procedure
    // works.
    void ShowStatus(const std::string& text) override;
    void SetProgress(int position) override;
    // Swaps the status text for the bar; the text stays hidden until the next StartProgress.
    void SetProgressMax(int maximum) override;
    // Whether the cancel button was pressed since the last StartProgress.
    bool Cancelled() const override { return cancelled_; }

    void BtAbbruchClick();
    // Hides the dialog (the window's close button and the procedures' finishing steps).
    void Close() override;

private:
    void showIfHidden();

    bool cancelled_ = false;

    UiServices& ui_;
};

} // namespace ovena
