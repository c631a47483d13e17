#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ovena::sim {

// A pseudo-terminal whose slave side plays the serial device of the instrument. The slave is
// raw (no echo, no line-end translation) and the simulator keeps a descriptor of it open
// itself, so a client may open and close the device any number of times: the master never
// sees a hang-up between sessions. The opens and closes of clients are watched with inotify.
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

    // A session begins when a client opens the device that no client had open, and ends when
    // the last client closes it.
    enum class SessionEvent { Began, Ended };

    // Readable when clients have opened or closed the device since the last call of
    // sessionEvents; -1 after the hang-up.
    int watch() const { return watch_; }
    // The sessions begun and ended since the last call, in order. At the end of a session the
    // device does what closing the last descriptor does to a serial device (which our own
    // descriptor prevents): bytes the client did not read are dropped, its exclusive mode ends.
    std::vector<SessionEvent> sessionEvents();
    // Whether a client has the device open, as of the last sessionEvents.
    bool inSession() const { return clients_ > 0; }

    // Bytes written to the master that the client has not read yet.
    std::size_t unreadBytes() const;
    // Closes both sides: a client that has the device open sees it hang up.
    void hangUp();

private:
    void endSession();

    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;
    int clients_ = 0;
    std::string device_;
};

} // namespace ovena::sim
