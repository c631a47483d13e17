// The command exchange over a real pseudo-terminal, its peer answering with random bytes: each
// reply is exactly the bytes up to the next carriage return, later bytes stay queued for the
// next command, and a reply without a carriage return ends in the time-out flag.

#include "FuzzSupport.h"

#include "support/FakeUi.h"
#include "support/PtyPeer.h"

#include "link/komm.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <termios.h>

using namespace ovena;
using namespace std::chrono_literals;

namespace {

constexpr int Port = 3;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static test::PtyPeer peer(Port);
    FuzzedDataProvider in(data, size);

    test::FakeUi ui;
    TFormKomm komm(ui, 1ms); // short ticks: a time-out costs 20 ms
    komm.Port = Port;
    komm.OpenPort();
    require(komm.Serial.Active, "the port opens");
    // Nothing of an earlier run may reach this one.
    tcflush(komm.Serial.Handle, TCIOFLUSH);
    peer.receive(0ms);

    std::string queued; // sent by the peer, not yet read by a reply
    for (int exchange = in.ConsumeIntegralInRange(1, 4); exchange > 0; --exchange) {
        const std::string bytes = in.ConsumeRandomLengthString(64);
        peer.send(bytes);
        queued += bytes;
        komm.SendCommand("R303");
        const auto end = queued.find('\r');
        if (end == std::string::npos) {
            require(komm.CommError, "a reply without a carriage return times out");
            require(komm.ReplyText == queued, "a timed-out reply keeps the bytes that came");
            queued.clear();
        } else {
            require(!komm.CommError, "a reply with a carriage return arrives");
            require(komm.ReplyText == queued.substr(0, end),
                    "the reply ends at the carriage return");
            queued.erase(0, end + 1);
        }
        require(peer.receive(0ms).ends_with("R303\r"), "the command reaches the peer");
    }
    komm.Serial.Close();
    return 0;
}
