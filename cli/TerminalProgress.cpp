#include "cli/TerminalProgress.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <ostream>

namespace ovena::cli {

namespace {

constexpr int BarWidth = 30;

} // namespace

TerminalProgress::TerminalProgress(std::ostream& out, bool enabled)
    : out_(out), enabled_(enabled) {}

void TerminalProgress::StartProgress(const std::string& title, bool) {
    title_ = title;
    status_.clear();
    barShown_ = false;
    position_ = 0;
    maximum_ = 100;
    shown_ = true;
    draw();
}

void TerminalProgress::ShowStatus(const std::string& text) {
    status_ = text;
    shown_ = true;
    draw();
}

void TerminalProgress::SetProgress(int position) {
    position_ = position;
    shown_ = true;
    draw();
}

// As in the window, the bar takes the place of the status text from here on.
void TerminalProgress::SetProgressMax(int maximum) {
    maximum_ = maximum;
    barShown_ = true;
    draw();
}

void TerminalProgress::Close() {
    if (enabled_ && shown_)
        out_ << "\r\x1b[K" << std::flush;
    shown_ = false;
}

void TerminalProgress::draw() {
    if (!enabled_ || !shown_)
        return;
    std::string line = cp1252ToUtf8(title_) + ": ";
    if (barShown_) {
        const int position = std::clamp(position_, 0, std::max(maximum_, 0));
        const int filled = maximum_ > 0 ? position * BarWidth / maximum_ : 0;
        line += "[" + std::string(static_cast<std::size_t>(filled), '#') +
                std::string(static_cast<std::size_t>(BarWidth - filled), '.') + "] " +
                std::to_string(position) + "/" + std::to_string(maximum_);
    } else {
        line += cp1252ToUtf8(status_);
    }
    out_ << "\r\x1b[K" << line << std::flush;
}

} // namespace ovena::cli
