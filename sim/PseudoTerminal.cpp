#include "PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace ovena::sim {

namespace {

[[noreturn]] void failWith(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        failWith("cannot open a pseudo-terminal");
    try {
        if (grantpt(master_) != 0 || unlockpt(master_) != 0)
            failWith("cannot unlock the pseudo-terminal");
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0)
            failWith("cannot name the pseudo-terminal");
        device_ = name;
        slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0)
            failWith("cannot open the pseudo-terminal's device");
        termios settings{};
        if (tcgetattr(slave_, &settings) != 0)
            failWith("cannot read the device settings");
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        cfsetspeed(&settings, B9600);
        if (tcsetattr(slave_, TCSANOW, &settings) != 0)
            failWith("cannot make the device raw");
        const int flags = fcntl(master_, F_GETFL);
        if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
            failWith("cannot make the pseudo-terminal non-blocking");
    } catch (...) {
        hangUp();
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() {
    hangUp();
}

std::size_t PseudoTerminal::unreadBytes() const {
    int count = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &count) != 0)
        return 0;
    return static_cast<std::size_t>(count);
}

void PseudoTerminal::hangUp() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

} // namespace ovena::sim
