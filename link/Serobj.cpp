#include "link/Serobj.h"

#include "link/PortAccess.h"
#include "platform/PortMap.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace ovena {

namespace {

using Dcb = DeviceControlBlock;

// How long a write waits for room in a full transmit queue before the rest is dropped: a stuck
// device must not freeze the program.
constexpr std::chrono::milliseconds WriteWaitLimit{1000};
// How long a missing port is given to appear before Open gives up.
constexpr std::chrono::milliseconds MissingPortRecheck{300};

speed_t speedFor(std::uint32_t baud) {
    struct Rate {
        std::uint32_t baud;
        speed_t speed;
    };
    static constexpr Rate rates[] = {
        {50, B50},         {75, B75},         {110, B110},        {134, B134},
        {150, B150},       {200, B200},       {300, B300},        {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},      {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},    {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800},  {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000}};
    for (const Rate& rate : rates)
        if (rate.baud == baud)
            return rate.speed;
    return B0;
}

// Why opening the device failed, in the words of the port's states where one fits.
std::string openFailure(int error, PortStatus status) {
    switch (error) {
    case EACCES:
    case EPERM:
        status.state = PortState::NoPermission;
        status.group = deviceGroup(status.device);
        return reasonText(status);
    case EBUSY: // another program has the device in exclusive mode
        status.state = PortState::InUse;
        status.holder = DeviceUsers({status.device}).holderOf(status.device);
        return reasonText(status);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        status.state = PortState::NotConnected;
        return reasonText(status);
    default:
        return status.device + ": " + std::strerror(error);
    }
}

// Asks the driver to hand each byte over at once: an FTDI adapter otherwise holds the last bytes
// of a reply for its latency timer of 16 ms. Drivers without the setting (a pseudo-terminal)
// refuse, which changes nothing.
void requestLowLatency(int fd) {
    serial_struct settings{};
    if (ioctl(fd, TIOCGSERIAL, &settings) != 0 || (settings.flags & ASYNC_LOW_LATENCY))
        return;
    settings.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &settings);
}

void setModemLine(int fd, int line, bool on) {
    // Pseudo-terminals have no modem lines and refuse these requests; that is harmless.
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

bool isHangUpError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

} // namespace

TSerial::~TSerial() {
    closeHandle();
}

bool TSerial::Exists() const {
    return portStatus(ComNr).state == PortState::Present;
}

bool TSerial::HasConfig() const {
    termios settings{};
    if (Handle >= 0)
        return tcgetattr(Handle, &settings) == 0;
    const std::string device = deviceForPort(ComNr);
    struct stat node {};
    return !device.empty() && ::stat(device.c_str(), &node) == 0 && S_ISCHR(node.st_mode);
}

void TSerial::Open() {
    Failed = false;
    if (Active) {
        Failed = true;
        FailReason = "the port is open already";
        return;
    }
    // A descriptor left by an open whose Configure failed would otherwise leak and keep its lock.
    closeHandle();
    FailReason.clear();
    PortStatus status = portStatus(ComNr);
    // An adapter plugged in a moment ago may still be getting its names from udev: one more
    // look before the port counts as missing.
    if (status.state == PortState::NotConnected || status.state == PortState::Absent) {
        std::this_thread::sleep_for(MissingPortRecheck);
        status = portStatus(ComNr);
    }
    if (!openDevice(status))
        closeHandle();
    Failed = Handle < 0;
}

bool TSerial::openDevice(const PortStatus& status) {
    if (status.state != PortState::Present) {
        FailReason = reasonText(status);
        return false;
    }
    const std::string& device = status.device;
    PortHolder holder;
    if (!uucpLock_.acquire(lockName(device, status.port), holder)) {
        FailReason = holderText(holder);
        return false;
    }
    Handle = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Handle < 0) {
        FailReason = openFailure(errno, status);
        return false;
    }
    if (!isatty(Handle)) {
        FailReason = device + " is no serial port";
        return false;
    }
    // The lock of every program that opens the device this way.
    if (flock(Handle, LOCK_EX | LOCK_NB) != 0) {
        FailReason = holderText(DeviceUsers({device}).holderOf(device).value_or(PortHolder{}));
        return false;
    }
    if (ioctl(Handle, TIOCEXCL) != 0) {
        FailReason = device + ": " + std::strerror(errno);
        return false;
    }
    exclusive_ = true;
    requestLowLatency(Handle);
    return true;
}

void TSerial::Configure() {
    if (Handle < 0) {
        Failed = true;
        return;
    }
    Dcb = DeviceControlBlock{};
    Dcb.BaudRate = static_cast<std::uint32_t>(Baud);
    Dcb.Flags = Dcb::Binary;
    if (Parity != 0)
        Dcb.Flags |= Dcb::ParityCheck;
    switch (Handshake) {
    case 1:
        Dcb.Flags |= Dcb::OutX | Dcb::InX;
        break;
    case 2:
        Dcb.Flags |= Dcb::OutxCtsFlow | Dcb::RtsControlHandshake;
        break;
    case 3:
        Dcb.Flags |= Dcb::OutxDsrFlow | Dcb::DtrControlHandshake | Dcb::DsrSensitivity;
        break;
    default:
        break;
    }
    if (!NoErrorChar)
        Dcb.Flags |= Dcb::ErrorCharEnable;
    Dcb.ByteSize = static_cast<std::uint8_t>(DataBits);
    Dcb.Parity = static_cast<std::uint8_t>(Parity);
    Dcb.StopBits = static_cast<std::uint8_t>(StopBits);
    Dcb.XonChar = 0x11;
    Dcb.XoffChar = 0x13;
    if (applyDcb()) {
        Failed = false;
        Active = true;
    } else {
        Failed = true;
    }
}

void TSerial::SetDTR(bool on) {
    if (!Active)
        return;
    if (on)
        Dcb.Flags |= Dcb::DtrControlEnable;
    else
        Dcb.Flags &= ~Dcb::DtrControlEnable;
    applyDcb();
}

// Carries Dcb over to the terminal settings: raw bytes, the speed and frame, the flow control
// and the DTR and RTS lines. False when the device rejects them or they have no equivalent.
bool TSerial::applyDcb() {
    termios settings{};
    if (tcgetattr(Handle, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    const speed_t speed = speedFor(Dcb.BaudRate);
    if (speed == B0 || cfsetispeed(&settings, speed) != 0 || cfsetospeed(&settings, speed) != 0)
        return false;

    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    // HUPCL: DTR drops when the port closes, as the instrument expects of a closed line.
    settings.c_cflag |= CREAD | CLOCAL | HUPCL;
    switch (Dcb.ByteSize) {
    case 5:
        settings.c_cflag |= CS5;
        break;
    case 6:
        settings.c_cflag |= CS6;
        break;
    case 7:
        settings.c_cflag |= CS7;
        break;
    case 8:
        settings.c_cflag |= CS8;
        break;
    default:
        return false;
    }
    switch (Dcb.Parity) {
    case 0:
        break;
    case 1:
        settings.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        settings.c_cflag |= PARENB;
        break;
    case 3:
        settings.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 4:
        settings.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        return false;
    }
    // One and a half stop bits exist only with five data bits, where the line sends them for
    // the two-stop-bit setting.
    if (Dcb.StopBits == 2 || (Dcb.StopBits == 1 && Dcb.ByteSize == 5))
        settings.c_cflag |= CSTOPB;
    else if (Dcb.StopBits != 0)
        return false;
    if (Dcb.Flags & (Dcb::OutxCtsFlow | Dcb::RtsControlHandshake))
        settings.c_cflag |= CRTSCTS;

    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    if (Dcb.Flags & Dcb::OutX)
        settings.c_iflag |= IXON;
    if (Dcb.Flags & Dcb::InX)
        settings.c_iflag |= IXOFF;
    // Without the error character, bytes with a parity error are delivered as received.
    if ((Dcb.Flags & Dcb::ParityCheck) && (Dcb.Flags & Dcb::ErrorCharEnable))
        settings.c_iflag |= INPCK;
    settings.c_cc[VSTART] = Dcb.XonChar;
    settings.c_cc[VSTOP] = Dcb.XoffChar;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(Handle, TCSANOW, &settings) != 0)
        return false;

    setModemLine(Handle, TIOCM_DTR,
                 (Dcb.Flags & (Dcb::DtrControlEnable | Dcb::DtrControlHandshake)) != 0);
    if (!(Dcb.Flags & Dcb::RtsControlHandshake))
        setModemLine(Handle, TIOCM_RTS, (Dcb.Flags & Dcb::RtsControlEnable) != 0);
    return true;
}

void TSerial::Write(const void* buffer, std::int32_t count) {
    if (Handle < 0 || count <= 0)
        return;
    const auto* bytes = static_cast<const char*>(buffer);
    auto left = static_cast<std::size_t>(count);
    const auto deadline = std::chrono::steady_clock::now() + WriteWaitLimit;
    while (left > 0) {
        const ssize_t written = ::write(Handle, bytes, left);
        if (written > 0) {
            bytes += written;
            left -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{Handle, POLLOUT, 0};
            if (wait.count() > 0 && poll(&ready, 1, static_cast<int>(wait.count())) > 0 &&
                !(ready.revents & (POLLHUP | POLLERR | POLLNVAL)))
                continue;
        }
        if (written < 0)
            noteError(errno);
        return; // the rest is lost, as a failed write of the driver would lose it
    }
}

std::int32_t TSerial::Read(void* buffer, std::int32_t count) {
    if (!Active || Handle < 0 || count <= 0)
        return 0;
    const ssize_t got = ::read(Handle, buffer, static_cast<std::size_t>(count));
    if (got > 0)
        return static_cast<std::int32_t>(got);
    // With the raw settings a read of nothing is normal; only an error tells of a hang-up.
    if (got < 0)
        noteError(errno);
    return 0;
}

char TSerial::ReadChar() {
    char c = 0;
    return Read(&c, 1) == 1 ? c : 0;
}

std::int32_t TSerial::InCount() {
    if (!Active || Handle < 0)
        return 0;
    int waiting = 0;
    if (ioctl(Handle, FIONREAD, &waiting) != 0) {
        noteError(errno);
        return 0;
    }
    return waiting;
}

std::int32_t TSerial::OutCount() const {
    int waiting = 0;
    if (Handle < 0 || ioctl(Handle, TIOCOUTQ, &waiting) != 0)
        return 0;
    return waiting;
}

bool TSerial::HungUp() {
    if (Handle < 0 || hungUp_)
        return hungUp_;
    pollfd state{Handle, POLLIN, 0};
    if (poll(&state, 1, 0) > 0) {
        int waiting = 0;
        // Readable with nothing to read is the end of the input as well.
        if ((state.revents & (POLLHUP | POLLERR | POLLNVAL)) ||
            ioctl(Handle, FIONREAD, &waiting) != 0 || waiting == 0)
            hungUp_ = true;
    }
    return hungUp_;
}

void TSerial::Close() {
    // Also a descriptor whose Configure failed: it must not outlive the connection.
    closeHandle();
    Active = false;
}

void TSerial::noteError(int error) {
    if (isHangUpError(error))
        hungUp_ = true;
}

void TSerial::closeHandle() {
    if (Handle >= 0) {
        // Exclusive mode outlives the descriptor on some devices; give the device back free.
        // Only our own: a refused open must not end the exclusive mode of the program that holds
        // the device.
        if (exclusive_)
            ioctl(Handle, TIOCNXCL);
        ::close(Handle);
    }
    Handle = -1;
    exclusive_ = false;
    hungUp_ = false;
    uucpLock_.release();
}

} // namespace ovena
