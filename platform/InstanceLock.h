#pragma once

#include <string>

namespace ovena {

// One running copy per user and workstation: an exclusive flock on a lock file named after the
// program file, in $XDG_RUNTIME_DIR (else the temporary folder, with the user id in the name).
// The lock is held as long as the object lives and released by the system when the process
// ends, however it ends.
class InstanceLock {
public:
    explicit InstanceLock(const std::string& programFileName);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another process holds the lock already.
    bool alreadyRunning() const { return alreadyRunning_; }

private:
    int fd_ = -1;
    bool alreadyRunning_ = false;
};

} // namespace ovena
