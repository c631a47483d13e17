#pragma once

#include "procedures/ProgressDialog.h"

#include <iosfwd>
#include <string>

namespace ovena::cli {

// The readout's progress dialog on a terminal: the title, the status texts and a text bar on
// one line of stderr, redrawn in place. Draws nothing when stderr is no terminal, so scripts
// and logs get only the messages. There is no cancel button: Ctrl+C ends the program.
class TerminalProgress : public ProgressDialog {
public:
    // `out` is drawn on only when `enabled`.
    TerminalProgress(std::ostream& out, bool enabled);

    void StartProgress(const std::string& title, bool cancellable) override;
    void ShowStatus(const std::string& text) override;
    void SetProgress(int position) override;
    void SetProgressMax(int maximum) override;
    bool Cancelled() const override { return false; }
    void Close() override;

private:
    void draw();

    std::ostream& out_;
    bool enabled_;
    bool shown_ = false;
    bool barShown_ = false;
    std::string title_;
    std::string status_;
    int position_ = 0;
    int maximum_ = 100;
};

} // namespace ovena::cli
