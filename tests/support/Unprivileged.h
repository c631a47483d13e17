#pragma once

#include <string>
#include <vector>

namespace ovena::test {

// The permission cases: a user without special rights meets device nodes he may not open. Root,
// whom no permission stops (CI runs as root), plays the user nobody for them; any other user
// plays himself.

// Why the cases cannot run here (shown when they are skipped); empty when they can. As root it
// also opens the sandbox to other users, so that nobody can read the settings and the machine.
std::string unprivilegedUnavailable();

// The command prefix that starts a program as that user: setpriv with nobody's ids as root,
// nothing otherwise.
std::vector<std::string> unprivilegedCommand();

// Takes read and write access to a device node away from that user and answers the name of the
// group that owns the node: as root the node goes to group dialout with mode 0660, otherwise the
// owner loses his own rights and the group stays.
std::string denyAccess(const std::string& device);

// While it lives, this process acts as that user (effective ids, no supplementary groups).
class ActingUnprivileged {
public:
    ActingUnprivileged();
    ~ActingUnprivileged();
    ActingUnprivileged(const ActingUnprivileged&) = delete;
    ActingUnprivileged& operator=(const ActingUnprivileged&) = delete;

private:
    bool active_ = false;
    unsigned gid_ = 0;
    std::vector<unsigned> groups_;
};

} // namespace ovena::test
