#pragma once

#include "link/Serobj.h"
#include "platform/Components.h"
#include "platform/Form.h"
#include "platform/UiServices.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ovena {

// The command exchange with the instrument: one command text plus a carriage return out, the
// bytes up to the next carriage return back, within a budget of 20 ticks. A hidden form that
// owns the serial port, the tick timer and a monitor log of the exchanges.
class TFormKomm : public Form {
public:
    static constexpr std::int32_t BudgetTicks = 20;
    static constexpr std::chrono::milliseconds TickInterval{100};
    // The message of a port that cannot be opened and configured, followed by the number.
    static constexpr std::string_view InitErrorText = "Error : Init RS232 on COM";

    // `tick` is the interval of Timer1; tests run the protocol on shorter ticks.
    explicit TFormKomm(UiServices& ui, std::chrono::milliseconds tick = TickInterval);
    ~TFormKomm() override;
    TFormKomm(const TFormKomm&) = delete;
    TFormKomm& operator=(const TFormKomm&) = delete;

    std::int32_t Port = 0; // COM port of the next connection, 1 to 99
    std::int32_t Baud = 9600;
    std::int32_t Countdown = 0; // ticks left in the current wait
    TSerial Serial;
    std::string ReplyText;  // the last reply without its carriage return
    bool CommError = false; // the last SendCommand got no complete reply in time
    std::string SendError;  // "Timeout sendbuffer" once the transmit queue did not empty
    ovena::Memo Memo;       // the monitor log, written while the form is visible
    // Receives every line of the monitor log, whether the form is shown or not, and a line
    // starting with "!" for each command whose reply did not come in time: a trace of the
    // exchange for programs without the form.
    std::function<void(const std::string&)> Trace;

    // Sets the initial values of the fields; run by the constructor.
    void FormCreate();
    // Opens and configures port Port; shows nothing.
    void OpenPort();
    // Configures the open port again; shows "Error : Init RS232 on COM<Port>" when that fails.
    void InitPort();
    // Sends the command and waits for the reply: sets ReplyText and CommError.
    void SendCommand(const std::string& command);
    // Writes a frame after the transmit queue has emptied.
    void SendText(const std::string& text);
    // Waits until the transmit queue is empty or the budget is spent.
    void WaitSendEmpty();
    // One tick: Countdown goes down by one, never below 0.
    void Timer1Timer();

private:
    // Services the event queue once, asleep until the next tick is due, a user event comes in
    // or, with watchPort, a byte arrives on the port.
    void serviceEvents(bool watchPort);
    void log(const std::string& line);

    UiServices& ui_;
    TimerId timer1_;
};

} // namespace ovena
