#pragma once

#include <string>
#include <sys/types.h>

namespace ovena::test {

// Another program on the machine: /bin/sleep, waiting until the object goes. Given a device, it
// holds it open (as its standard input) without any lock, as a careless terminal program would.
class SleepingProcess {
public:
    explicit SleepingProcess(const std::string& device = {});
    ~SleepingProcess();
    SleepingProcess(const SleepingProcess&) = delete;
    SleepingProcess& operator=(const SleepingProcess&) = delete;

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// The id of a process that has ended.
pid_t endedProcessId();

} // namespace ovena::test
