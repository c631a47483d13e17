#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ovena {

// Who holds a serial port, as far as that can be known: the program's name and process id, or
// the lock file that names no process.
struct PortHolder {
    std::string program; // empty when unknown
    int pid = 0;         // 0 when unknown
    std::string lockFile;
};

// The UUCP lock of a serial port, as minicom, cu, pppd and other serial programs on Linux take
// it: the file LCK..<name> in the first lock folder, holding the owner's process id as ten
// right-aligned digits and a newline. A lock whose process is gone is stale and is removed.
class UucpLock {
public:
    UucpLock() = default;
    ~UucpLock() { release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // The live holder of the lock of port `name` (a kernel name such as "ttyUSB0"); none when
    // no live process holds it.
    static std::optional<PortHolder> holder(const std::string& name);
    // Takes the lock of port `name`, created whole under its final name in one step. False, with
    // the holder, when a live process has it. Where no lock folder can be written the port goes
    // on without this lock.
    bool acquire(const std::string& name, PortHolder& holder);
    // Removes the lock file when this object made it.
    void release();

private:
    std::string path_;
};

// Which processes have serial devices open or locked, read once from /proc: the flock and
// record locks of every process, and the open descriptors of the processes this user may look
// into. The program on the master side of a pseudo-terminal is its peer, not a user of it.
class DeviceUsers {
public:
    // Looks for users of these device paths only.
    explicit DeviceUsers(const std::vector<std::string>& devices);

    // The process that holds the device (this program when one of its own ports has it locked);
    // none when nobody is seen holding it.
    std::optional<PortHolder> holderOf(const std::string& device) const;

private:
    struct Lock {
        unsigned major, minor;
        unsigned long inode;
        int pid;
    };
    struct OpenDevice {
        std::string path; // the device as the holders' descriptors name it
        std::vector<int> pids;
    };

    std::vector<Lock> locks_;
    std::vector<OpenDevice> open_;
    // The pseudo-terminal numbers whose master side each process holds.
    std::vector<std::pair<int, int>> masters_; // (pid, terminal number)
};

// The program name of a process, from /proc; empty when it is gone.
std::string programName(int pid);

} // namespace ovena
