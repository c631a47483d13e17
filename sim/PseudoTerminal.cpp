#include "PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/inotify.h>
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
        // Watched after our own open, so that only clients count.
        watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watch_ < 0 ||
            inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
            failWith("cannot watch the device");
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

std::vector<PseudoTerminal::SessionEvent> PseudoTerminal::sessionEvents() {
    std::vector<SessionEvent> events;
    alignas(inotify_event) char buffer[4096];
    ssize_t count;
    while (watch_ >= 0 && (count = ::read(watch_, buffer, sizeof buffer)) > 0) {
        for (char* p = buffer; p < buffer + count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if ((event->mask & IN_OPEN) && clients_++ == 0)
                events.push_back(SessionEvent::Began);
            if ((event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) && clients_ > 0 &&
                --clients_ == 0) {
                endSession();
                events.push_back(SessionEvent::Ended);
            }
            // Lost events: assume a client is there rather than drop its replies.
            if ((event->mask & IN_Q_OVERFLOW) && clients_ == 0) {
                clients_ = 1;
                events.push_back(SessionEvent::Began);
            }
            p += sizeof(inotify_event) + event->len;
        }
    }
    return events;
}

void PseudoTerminal::endSession() {
    if (slave_ < 0)
        return;
    tcflush(slave_, TCIFLUSH);
    ioctl(slave_, TIOCNXCL);
}

std::size_t PseudoTerminal::unreadBytes() const {
    int count = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &count) != 0)
        return 0;
    return static_cast<std::size_t>(count);
}

void PseudoTerminal::hangUp() {
    if (watch_ >= 0)
        ::close(watch_);
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    watch_ = slave_ = master_ = -1;
}

} // namespace ovena::sim
