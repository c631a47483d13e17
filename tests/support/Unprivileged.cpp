#include "support/Unprivileged.h"

#include "support/TestEnvironment.h"

#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace ovena::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* Setpriv = "/usr/bin/setpriv";

bool root() {
    return geteuid() == 0;
}

// nobody's user and group ids.
std::pair<uid_t, gid_t> nobody() {
    const passwd* user = getpwnam("nobody");
    return user ? std::make_pair(user->pw_uid, user->pw_gid)
                : std::make_pair(uid_t{65534}, gid_t{65534});
}

// Whether every folder above `path` lets others pass.
bool passableByOthers(const fs::path& path) {
    for (fs::path folder = path.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        struct stat entry {};
        if (::stat(folder.c_str(), &entry) != 0 || !(entry.st_mode & S_IXOTH))
            return false;
        if (folder == folder.root_path())
            break;
    }
    return true;
}

} // namespace

std::string unprivilegedUnavailable() {
    if (!root())
        return {};
    if (access(Setpriv, X_OK) != 0)
        return "running as root without setpriv: no unprivileged user to play";
    if (!passableByOthers(sandboxFolder()))
        return "the sandbox " + sandboxFolder() + " lies in a folder other users cannot enter";
    fs::permissions(sandboxFolder(), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    return {};
}

std::vector<std::string> unprivilegedCommand() {
    if (!root())
        return {};
    const auto [uid, gid] = nobody();
    return {Setpriv, "--reuid=" + std::to_string(uid), "--regid=" + std::to_string(gid),
            "--clear-groups", "--"};
}

std::string denyAccess(const std::string& device) {
    if (root()) {
        const group* dialout = getgrnam("dialout");
        if (!dialout || chown(device.c_str(), 0, dialout->gr_gid) != 0 ||
            chmod(device.c_str(), 0660) != 0)
            throw std::runtime_error("cannot hand " + device + " to the group dialout");
    } else if (chmod(device.c_str(), 0060) != 0) {
        throw std::runtime_error("cannot take the rights on " + device);
    }
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0)
        throw std::runtime_error("cannot read " + device);
    const group* owner = getgrgid(node.st_gid);
    return owner ? owner->gr_name : std::to_string(node.st_gid);
}

ActingUnprivileged::ActingUnprivileged() {
    if (!root())
        return;
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(count > 0 ? count : 0));
    if (count > 0 && getgroups(count, groups.data()) != count)
        throw std::runtime_error("cannot read the groups");
    groups_.assign(groups.begin(), groups.end());
    gid_ = getegid();
    const auto [uid, gid] = nobody();
    if (setgroups(0, nullptr) != 0 || setegid(gid) != 0 || seteuid(uid) != 0)
        throw std::runtime_error("cannot act as nobody");
    active_ = true;
}

ActingUnprivileged::~ActingUnprivileged() {
    if (!active_)
        return;
    const std::vector<gid_t> groups(groups_.begin(), groups_.end());
    // Back to root in the order that allows it: the user first, then the groups.
    if (seteuid(0) != 0 || setegid(gid_) != 0 || setgroups(groups.size(), groups.data()) != 0)
        std::terminate();
}

} // namespace ovena::test
