#include "FaultPlan.h"

#include <charconv>
#include <stdexcept>

namespace ovena::sim {

CommandPattern::CommandPattern(const std::string& text) : prefix_(text) {
    const auto hash = text.rfind('#');
    if (hash == std::string::npos)
        return;
    const char* first = text.data() + hash + 1;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, occurrence_);
    if (first == last || error != std::errc() || end != last || occurrence_ < 1)
        throw std::invalid_argument("\"" + text +
                                    "\": expected a command, optionally followed "
                                    "by #n with n from 1");
    prefix_.resize(hash);
}

bool CommandPattern::hits(const std::string& command) {
    const bool matches = prefix_.empty() ? command.empty() : command.starts_with(prefix_);
    if (!matches)
        return false;
    ++seen_;
    return occurrence_ == 0 || seen_ == occurrence_;
}

FaultPlan::FaultPlan(const FaultSettings& settings)
    : silentAt_(patterns(settings.silentAt)), noCrAt_(patterns(settings.noCrAt)),
      garbleAt_(patterns(settings.garbleAt)), silentFrom_(settings.silentFrom),
      hangupAfter_(settings.hangupAfter), garble_(settings.garble), crlf_(settings.crlf) {}

std::vector<CommandPattern> FaultPlan::patterns(const std::vector<std::string>& texts) {
    return {texts.begin(), texts.end()};
}

bool FaultPlan::anyHits(std::vector<CommandPattern>& patterns, const std::string& command) {
    bool hit = false;
    for (CommandPattern& pattern : patterns)
        hit = pattern.hits(command) || hit; // every pattern counts the command
    return hit;
}

FaultDecision FaultPlan::decide(const std::string& command) {
    ++commands_;
    FaultDecision decision;
    decision.silent = anyHits(silentAt_, command) || (silentFrom_ && commands_ >= *silentFrom_);
    decision.noLineEnd = anyHits(noCrAt_, command);
    decision.garble = anyHits(garbleAt_, command) || garble_;
    decision.hangUp = hangupAfter_ && commands_ == *hangupAfter_;
    return decision;
}

std::string FaultPlan::frame(const std::string& reply, const FaultDecision& decision) const {
    std::string bytes = reply;
    if (decision.garble)
        bytes.insert(bytes.empty() ? 0 : 1, std::string("\x00\xFF\x0A", 3));
    if (!decision.noLineEnd)
        bytes += crlf_ ? "\r\n" : "\r";
    return bytes;
}

} // namespace ovena::sim
