#pragma once

namespace ovena {

// Tells when serial ports may have come or gone, without polling: an inotify watch on the device
// root (nodes appear, go and change their rights), its serial/by-id folder (udev's stable names)
// and the ports folder (COM links that the simulator or the user add).
class PortWatch {
public:
    PortWatch();
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

    // Readable when something changed; -1 when the system gave no watch.
    int fd() const { return fd_; }
    // Reads what is pending; true when anything changed. Folders that appeared meanwhile (the
    // by-id folder of the first adapter) are watched from now on.
    bool drain();

private:
    void watchFolders();

    int fd_ = -1;
};

} // namespace ovena
