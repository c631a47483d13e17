#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ovena::sim {

// Which commands a fault option hits: every command that begins with the prefix ("R303",
// "R302005"), or only the n-th of them with "#n" ("R303#2"). The empty prefix stands for the
// empty command alone.
class CommandPattern {
public:
    // Throws std::invalid_argument for a bad "#n" suffix.
    explicit CommandPattern(const std::string& text);

    // Whether the command is hit; every matching command counts towards "#n", so call it once
    // per command received.
    bool hits(const std::string& command);

private:
    std::string prefix_;
    int occurrence_ = 0; // 0: every matching command
    int seen_ = 0;
};

struct FaultSettings {
    std::vector<std::string> silentAt; // no reply to these commands
    std::optional<int> silentFrom;     // no reply from the k-th command on (counted from 1)
    std::vector<std::string> noCrAt;   // reply without its line end
    bool garble = false;               // NUL, 0xFF and LF inside every reply
    std::vector<std::string> garbleAt; // ... or inside the replies to these commands
    bool crlf = false;                 // replies end with CR LF
    std::optional<int> hangupAfter;    // close the device after the reply to the k-th command
};

// What happens to one command.
struct FaultDecision {
    bool silent = false;
    bool noLineEnd = false;
    bool garble = false;
    bool hangUp = false;
};

// The faults asked for, applied command by command over the life of the program.
class FaultPlan {
public:
    explicit FaultPlan(const FaultSettings& settings);

    // Decides for the next command received.
    FaultDecision decide(const std::string& command);
    // The bytes on the wire for a reply text.
    std::string frame(const std::string& reply, const FaultDecision& decision) const;

    int commandsReceived() const { return commands_; }

private:
    static std::vector<CommandPattern> patterns(const std::vector<std::string>& texts);
    static bool anyHits(std::vector<CommandPattern>& patterns, const std::string& command);

    std::vector<CommandPattern> silentAt_, noCrAt_, garbleAt_;
    std::optional<int> silentFrom_, hangupAfter_;
    bool garble_, crlf_;
    int commands_ = 0;
};

} // namespace ovena::sim
