#pragma once

#include "link/PortAccess.h"
#include "link/PortLocks.h"

#include <cstdint>
#include <string>

namespace ovena {

// The line settings block that Configure builds and SetDTR changes and applies again, with the
// members and flag bits of the serial driver's device-control block.
struct DeviceControlBlock {
    // Bits of Flags.
    static constexpr std::uint32_t Binary = 0x0001;
    static constexpr std::uint32_t ParityCheck = 0x0002;
    static constexpr std::uint32_t OutxCtsFlow = 0x0004;
    static constexpr std::uint32_t OutxDsrFlow = 0x0008;
    static constexpr std::uint32_t DtrControlEnable = 0x0010;
    static constexpr std::uint32_t DtrControlHandshake = 0x0020;
    static constexpr std::uint32_t DsrSensitivity = 0x0040;
    static constexpr std::uint32_t OutX = 0x0100;
    static constexpr std::uint32_t InX = 0x0200;
    static constexpr std::uint32_t ErrorCharEnable = 0x0400;
    static constexpr std::uint32_t RtsControlEnable = 0x1000;
    static constexpr std::uint32_t RtsControlHandshake = 0x2000;

    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
};

// One serial port, opened by its COM number (mapped to a device by the port map), moving bytes
// without ever blocking on the receive side. Reads and queue counts answer 0 while the port is
// not active, so a caller waiting for data on a closed or vanished port runs into its own
// time-out. An open port is held against every other program the ways they look: flock,
// exclusive mode (TIOCEXCL) and the UUCP lock file.
class TSerial {
public:
    TSerial() = default;
    ~TSerial();
    TSerial(const TSerial&) = delete;
    TSerial& operator=(const TSerial&) = delete;

    bool Active = false;    // Configure has succeeded and Close has not followed
    bool Failed = false;    // the last Open or Configure failed
    int Handle = -1;        // the open device, -1 for none
    std::int32_t ComNr = 1; // port number, 1 to 99
    std::int32_t Baud = 9600;
    std::uint16_t DataBits = 8;
    std::uint16_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint16_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    std::uint8_t Handshake = 0; // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 DTR/DSR
    bool NoErrorChar = true;    // deliver bytes with parity errors as received
    DeviceControlBlock Dcb;
    // Why the last Open failed, in words ("in use by minicom (PID 4242)"); empty after success.
    std::string FailReason;

    // Whether port ComNr is there and free for this user now, judged without opening the device
    // (an open raises DTR and RTS). Changes none of the fields.
    bool Exists() const;
    // Whether the device of port ComNr answers for its line settings; without an open port,
    // whether the number has a device at all.
    bool HasConfig() const;
    // Opens the device for exclusive use (fails while active, keeping the connection), with the
    // line hung up on close and, where the driver allows it, replies delivered without delay.
    void Open();
    // Builds Dcb from the fields and applies it; on success the port is active.
    void Configure();
    // Raises or lowers DTR through Dcb when active.
    void SetDTR(bool on);

    void Write(const void* buffer, std::int32_t count);
    void WriteChar(char c) { Write(&c, 1); }
    // Up to count bytes that are waiting; 0 when none are or the port is not active.
    std::int32_t Read(void* buffer, std::int32_t count);
    // The next waiting byte, 0 when none is waiting.
    char ReadChar();
    // Bytes waiting in the receive queue; 0 when not active.
    std::int32_t InCount();
    // Bytes still waiting in the transmit queue; 0 when not open or not known.
    std::int32_t OutCount() const;
    bool CharReady() { return InCount() > 0; }
    // True once the device has hung up (closed by the other side or unplugged): nothing more
    // will arrive, and the descriptor is no longer worth waiting on.
    bool HungUp();
    // Closes the device.
    void Close();

private:
    void closeHandle();
    // Opens and locks the device of a port found present; false with FailReason set when that
    // fails.
    bool openDevice(const PortStatus& status);
    bool applyDcb();
    void noteError(int error);

    bool exclusive_ = false; // this object put the device into exclusive mode
    bool hungUp_ = false;
    UucpLock uucpLock_;
};

} // namespace ovena
