#include "link/PortLocks.h"

#include "platform/SerialPorts.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <signal.h>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace ovena {

namespace fs = std::filesystem;

namespace {

// The lock files this process holds, so that a lock naming this process is told apart from a
// stale one left by an earlier process of the same id.
std::set<std::string>& heldLocks() {
    static std::set<std::string> held;
    return held;
}

enum class LockContent { None, Pid, Unreadable };

// The process id a lock file names: digits after optional spaces, then the end or whitespace
// and anything, as minicom adds its name and user after the id.
LockContent readLockFile(const std::string& path, int& pid) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? LockContent::None : LockContent::Unreadable;
    char buffer[64];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    const std::string_view text(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return LockContent::Unreadable;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data() + first, end, pid);
    if (error != std::errc() || pid <= 0 ||
        (rest != end && *rest != ' ' && *rest != '\t' && *rest != '\n'))
        return LockContent::Unreadable;
    return LockContent::Pid;
}

bool processAlive(int pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

// The live holder of the lock file at `path`; none when there is no file or it is stale. A file
// that names no process is left alone and counts as held: it may be another program's lock
// being written.
std::optional<PortHolder> liveHolder(const std::string& path) {
    int pid = 0;
    switch (readLockFile(path, pid)) {
    case LockContent::None:
        return std::nullopt;
    case LockContent::Unreadable:
        return PortHolder{{}, 0, path};
    case LockContent::Pid:
        break;
    }
    const bool alive = pid == getpid() ? heldLocks().contains(path) : processAlive(pid);
    if (!alive)
        return std::nullopt;
    return PortHolder{programName(pid), pid, path};
}

std::string lockPath(const std::string& folder, const std::string& name) {
    return folder + "/LCK.." + name;
}

// Writes a lock file naming this process under a temporary name and links it to `path` in one
// step: 0 when linked, else the errno of the failed step.
int createLockFile(const std::string& folder, const std::string& path) {
    const std::string temporary = folder + "/LTMP." + std::to_string(getpid());
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    char content[16];
    const int length = std::snprintf(content, sizeof content, "%10d\n", static_cast<int>(getpid()));
    const bool written = ::write(fd, content, static_cast<std::size_t>(length)) == length;
    const int closed = ::close(fd);
    int error = 0;
    if (!written || closed != 0)
        error = EIO;
    else if (::link(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    ::unlink(temporary.c_str());
    return error;
}

// The pseudo-terminal number of a device path such as /dev/pts/5; -1 for other devices.
int terminalNumber(const std::string& path) {
    constexpr std::string_view prefix = "/dev/pts/";
    if (path.compare(0, prefix.size(), prefix) != 0)
        return -1;
    int number = -1;
    const char* end = path.data() + path.size();
    if (auto [rest, error] = std::from_chars(path.data() + prefix.size(), end, number);
        error != std::errc() || rest != end)
        return -1;
    return number;
}

// The terminal number a pseudo-terminal master descriptor serves, from its fdinfo.
int masterTerminalNumber(const std::string& fdinfo) {
    std::ifstream in(fdinfo);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 10, "tty-index:") == 0)
            return std::atoi(line.c_str() + 10);
    return -1;
}

} // namespace

std::string programName(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::optional<PortHolder> UucpLock::holder(const std::string& name) {
    for (const std::string& folder : lockFolders())
        if (auto found = liveHolder(lockPath(folder, name)))
            return found;
    return std::nullopt;
}

bool UucpLock::acquire(const std::string& name, PortHolder& holder) {
    release();
    if (auto found = UucpLock::holder(name)) {
        holder = *found;
        return false;
    }
    for (const std::string& folder : lockFolders()) {
        std::error_code error;
        if (!fs::is_directory(folder, error))
            continue;
        const std::string path = lockPath(folder, name);
        // Twice: a stale lock is removed and the lock taken again; a live one that appeared
        // meanwhile wins.
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (auto found = liveHolder(path)) {
                holder = *found;
                return false;
            }
            // A stale lock this user may not remove blocks nobody: the other locks still hold.
            if (::unlink(path.c_str()) != 0 && errno != ENOENT)
                return true;
            const int failure = createLockFile(folder, path);
            if (failure == 0) {
                path_ = path;
                heldLocks().insert(path);
                return true;
            }
            if (failure != EEXIST)
                return true; // a folder this user may not write: the other locks still hold
        }
        holder = liveHolder(path).value_or(PortHolder{{}, 0, path});
        return false;
    }
    return true;
}

void UucpLock::release() {
    if (path_.empty())
        return;
    int pid = 0;
    // Only our own: a lock some other program put there after ours must stay.
    if (readLockFile(path_, pid) == LockContent::Pid && pid == getpid())
        ::unlink(path_.c_str());
    heldLocks().erase(path_);
    path_.clear();
}

DeviceUsers::DeviceUsers(const std::vector<std::string>& devices) {
    for (const std::string& device : devices) {
        std::error_code error;
        const fs::path real = fs::canonical(device, error);
        if (!error)
            open_.push_back({real.string(), {}});
    }

    // "1: FLOCK  ADVISORY  WRITE 4242 00:05:123 0 EOF"; waiting requests carry "->" and hold
    // nothing yet.
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, where;
        int pid = 0;
        if (!(fields >> id >> kind) || kind == "->" || !(fields >> mode >> access >> pid >> where))
            continue;
        Lock lock{};
        lock.pid = pid;
        if (std::sscanf(where.c_str(), "%x:%x:%lu", &lock.major, &lock.minor, &lock.inode) == 3)
            locks_.push_back(lock);
    }

    if (open_.empty())
        return;
    const int self = getpid();
    std::error_code error;
    for (const auto& process : fs::directory_iterator("/proc", error)) {
        const std::string name = process.path().filename().string();
        int pid = 0;
        if (std::from_chars(name.data(), name.data() + name.size(), pid).ec != std::errc() ||
            pid == self)
            continue;
        std::error_code denied;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", denied)) {
            std::error_code gone;
            // The link's text only: the file behind it is never touched.
            const std::string target = fs::read_symlink(fd.path(), gone).string();
            if (gone)
                continue;
            if (target == "/dev/ptmx" || target == "/dev/pts/ptmx") {
                const int number = masterTerminalNumber(
                    (process.path() / "fdinfo" / fd.path().filename()).string());
                if (number >= 0)
                    masters_.emplace_back(pid, number);
                continue;
            }
            for (OpenDevice& device : open_)
                if (device.path == target &&
                    std::find(device.pids.begin(), device.pids.end(), pid) == device.pids.end())
                    device.pids.push_back(pid);
        }
    }
}

std::optional<PortHolder> DeviceUsers::holderOf(const std::string& device) const {
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0)
        return std::nullopt;
    for (const Lock& lock : locks_)
        if (lock.major == major(node.st_dev) && lock.minor == minor(node.st_dev) &&
            lock.inode == node.st_ino)
            return lock.pid > 0 ? PortHolder{programName(lock.pid), lock.pid, {}} : PortHolder{};

    std::error_code error;
    const std::string real = fs::canonical(device, error).string();
    const int terminal = terminalNumber(real);
    for (const OpenDevice& open : open_) {
        if (open.path != real)
            continue;
        for (int pid : open.pids)
            if (std::find(masters_.begin(), masters_.end(), std::make_pair(pid, terminal)) ==
                masters_.end())
                return PortHolder{programName(pid), pid, {}};
    }
    return std::nullopt;
}

} // namespace ovena
