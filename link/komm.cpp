#include "link/komm.h"

#include "link/Funcs.h"
#include "link/Tools.h"

namespace ovena {

TFormKomm::TFormKomm(UiServices& ui, std::chrono::milliseconds tick) : ui_(ui) {
    Caption = "Kommunikation";
    ClientWidth = 421;
    ClientHeight = 473;
    FormCreate();
    timer1_ = ui_.startTimer(tick, [this] { Timer1Timer(); });
}

TFormKomm::~TFormKomm() {
    ui_.stopTimer(timer1_);
}

void TFormKomm::FormCreate() {
    Port = 0;
    Baud = 9600;
    Countdown = 0;
    ReplyText.clear();
    CommError = false;
    SendError.clear();
}

void TFormKomm::OpenPort() {
    if (Serial.Active)
        Serial.Close();
    if (Port >= 1 && Port <= 99) {
        Serial.ComNr = Port;
        Serial.Baud = Baud;
        Serial.NoErrorChar = true;
        Serial.Open();
        if (Serial.HasConfig())
            Serial.Configure();
    }
    Serial.SetDTR(true);
}

void TFormKomm::InitPort() {
    Serial.Baud = Baud;
    Serial.Configure();
    if (Serial.Failed)
        ErrorBox(ui_, std::string(InitErrorText) + IntToText(Port, 0));
    Serial.SetDTR(true);
}

void TFormKomm::SendCommand(const std::string& command) {
    CommError = false;
    Countdown = BudgetTicks;
    SendText(command + '\r');
    ReplyText.clear();
    do {
        // One byte per pass, read straight away: at 9600 baud every byte is a wake-up of its
        // own, so each system call saved per pass counts.
        char c = 0;
        const bool received = Serial.Read(&c, 1) == 1;
        if (received) {
            if (c == '\r') {
                log(">" + ReplyText);
                break;
            }
            ReplyText += c;
        }
        // A byte just read shows the line alive; otherwise a port that hung up must not be
        // waited on, since it would end every wait at once.
        serviceEvents(received || !Serial.HungUp());
    } while (Countdown != 0);
    if (Countdown == 0) {
        CommError = true;
        if (Trace)
            Trace("!no reply within " + std::to_string(BudgetTicks) + " ticks" +
                  (ReplyText.empty() ? std::string() : "; received: " + ReplyText));
    }
}

void TFormKomm::SendText(const std::string& text) {
    WaitSendEmpty();
    if (Countdown <= 0)
        SendError = "Timeout sendbuffer";
    log("<" + text);
    for (char c : text)
        Serial.WriteChar(c);
}

void TFormKomm::WaitSendEmpty() {
    Countdown = BudgetTicks;
    // Bytes already waiting for the next reply must not end each wait at once: only the ticks
    // (and user events) end it.
    while (Serial.OutCount() > 0 && Countdown != 0)
        serviceEvents(false);
}

void TFormKomm::Timer1Timer() {
    if (Countdown > 0)
        --Countdown;
}

void TFormKomm::serviceEvents(bool watchPort) {
    ui_.waitForEvents(watchPort && Serial.Active ? Serial.Handle : -1);
}

void TFormKomm::log(const std::string& line) {
    if (Trace)
        Trace(line);
    if (!Visible)
        return;
    Memo.Lines.push_back(line);
    changed();
}

} // namespace ovena
