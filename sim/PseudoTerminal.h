#pragma once

#include <cstddef>
#include <string>

namespace ovena::sim {

// A pseudo-terminal whose slave side plays the serial device of the instrument. The slave is
// raw (no echo, no line-end translation) and the simulator keeps a descriptor of it open
// itself, so a client may open and close the device any number of times: the master never
// sees a hang-up between sessions.
class PseudoTerminal {
public:
    // Throws std::system_error when no pseudo-terminal can be had.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int master() const { return master_; }
    const std::string& device() const { return device_; }
    bool isOpen() const { return master_ >= 0; }

    // Bytes written to the master that the client has not read yet.
    std::size_t unreadBytes() const;
    // Closes both sides: a client that has the device open sees it hang up.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string device_;
};

} // namespace ovena::sim
