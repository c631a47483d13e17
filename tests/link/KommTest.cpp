#include "link/komm.h"

#include "support/FakeUi.h"
#include "support/PtyPeer.h"
#include "support/Timing.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace std::chrono_literals;
using ovena::test::upTo;
using namespace ovena;
using ovena::test::FakeUi;
using ovena::test::PtyPeer;
using Piece = PtyPeer::Piece;
using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Answers each command with the pieces listed for it; other commands get no answer.
PtyPeer::Script answers(std::map<std::string, std::vector<Piece>> replies) {
    return [replies = std::move(replies)](const std::string& command) {
        auto found = replies.find(command);
        return found == replies.end() ? std::vector<Piece>{} : found->second;
    };
}

class CountingView : public FormView {
public:
    void refresh() override { ++refreshes; }
    int refreshes = 0;
};

// The exchange on port COM3, a pseudo-terminal whose other end the test plays. The protocol
// cases run on 10 ms ticks (a budget of 200 ms); the timing cases on the real 100 ms ticks.
class Exchange : public ::testing::Test {
protected:
    static constexpr auto FastTick = 10ms;

    void connect(std::chrono::milliseconds tick = FastTick) {
        komm = std::make_unique<TFormKomm>(ui, tick);
        komm->Port = 3;
        komm->OpenPort();
        komm->InitPort();
        ASSERT_TRUE(komm->Serial.Active);
        ASSERT_TRUE(ui.boxes.empty());
    }

    // Passes of the waits (services of the event queue) during one command.
    int passesFor(const std::string& command) {
        const int before = ui.processEventsCalls;
        komm->SendCommand(command);
        return ui.processEventsCalls - before;
    }

    FakeUi ui;
    PtyPeer peer{3};
    std::unique_ptr<TFormKomm> komm;
};

TEST_F(Exchange, TheFormIsTheHiddenCommunicationWindow) {
    TFormKomm form(ui);
    EXPECT_EQ(form.Caption, "Kommunikation");
    EXPECT_EQ(form.ClientWidth, 421);
    EXPECT_EQ(form.ClientHeight, 473);
    EXPECT_FALSE(form.Visible);
    EXPECT_EQ(form.Port, 0);
    EXPECT_EQ(form.Baud, 9600);
    EXPECT_EQ(form.Countdown, 0);
    EXPECT_FALSE(form.CommError);
    EXPECT_FALSE(form.Serial.Active);
}

// Exchanges whose tests depend on wall-clock or processor time; they run alone.
class ExchangeTiming : public Exchange {};

TEST_F(ExchangeTiming, EmptyCommandWritesExactlyACarriageReturnAndSilenceIsAnError) {
    // The stopwatch starts before the tick timer does: a tick that falls due while the port
    // is opened fires at the first wait, so timed from after connect() the twentieth tick can
    // come a little less than 19 intervals later.
    const auto start = Clock::now();
    connect();
    komm->SendCommand("");
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(peer.receive(), "\r");
    EXPECT_TRUE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "");
    EXPECT_EQ(komm->Countdown, 0);
    EXPECT_GE(elapsed, 19 * FastTick);
    EXPECT_LT(elapsed, upTo(40 * FastTick));
    EXPECT_EQ(komm->SendError, "") << "the transmit queue was empty";
}

TEST_F(Exchange, ACarriageReturnAloneIsAnEmptyReplyInTime) {
    connect();
    peer.respond(answers({{"SERVICE001", {{0ms, "\r"}}}}));
    komm->SendCommand("SERVICE001");
    EXPECT_FALSE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "");
    EXPECT_GT(komm->Countdown, 0);
}

TEST_F(Exchange, BytesAfterTheCarriageReturnBeginTheNextReply) {
    connect();
    peer.respond(answers({{"R002", {{0ms, "abc\r\n"}}}, {"R004", {{0ms, "4711\r"}}}}));
    komm->SendCommand("R002");
    EXPECT_FALSE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "abc");
    komm->SendCommand("R004");
    EXPECT_FALSE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "\n4711");
    EXPECT_EQ(peer.commands(), (std::vector<std::string>{"R002", "R004"}));
}

TEST_F(Exchange, AReplyInPiecesIsJoinedAndEveryByteIsKept) {
    connect();
    const std::string odd("\x00\xFF\n\xE4", 4);
    peer.respond(answers({{"R40101", {{0ms, "1;1;Heiz"}, {40ms, odd}, {40ms, "l EL\r"}}}}));
    komm->SendCommand("R40101");
    EXPECT_FALSE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "1;1;Heiz" + odd + "l EL");
}

TEST_F(Exchange, APartialReplyIsKeptWithTheError) {
    connect();
    komm->Visible = true;
    peer.respond(answers({{"R301", {{0ms, "1000;12"}}}}));
    komm->SendCommand("R301");
    EXPECT_TRUE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "1000;12");
    EXPECT_EQ(komm->Memo.Lines, std::vector<std::string>{"<R301\r"}) << "no reply line";
}

TEST_F(ExchangeTiming, AReplyTooLateForTheBudgetIsAnErrorAndStaysQueued) {
    connect();
    // Far beyond the budget of 200 ms, so late ticks on a busy machine cannot stretch it so far.
    const auto late = upTo(600ms);
    peer.respond(answers({{"R004", {{late, "late\r"}}}, {"R002", {{0ms, "V2\r"}}}}));
    const auto sent = Clock::now();
    komm->SendCommand("R004");
    EXPECT_TRUE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "");
    std::this_thread::sleep_until(sent + late + 150ms);
    komm->SendCommand("R002");
    EXPECT_FALSE(komm->CommError) << "the time-out is forgotten by the next exchange";
    EXPECT_EQ(komm->ReplyText, "late") << "there are no retries and no flushing";
}

TEST_F(Exchange, MonitorLinesOnlyWhileTheFormIsVisible) {
    connect();
    CountingView view;
    komm->attachView(&view);
    peer.respond(answers({{"R002", {{0ms, "V1.23\r"}}}}));
    komm->SendCommand("R002");
    EXPECT_TRUE(komm->Memo.Lines.empty());
    EXPECT_EQ(view.refreshes, 0);

    ui.showForm(*komm);
    komm->SendCommand("R002");
    EXPECT_EQ(komm->Memo.Lines, (std::vector<std::string>{"<R002\r", ">V1.23"}));
    EXPECT_EQ(view.refreshes, 2);

    ui.hideForm(*komm);
    komm->SendCommand("R002");
    EXPECT_EQ(komm->Memo.Lines.size(), 2u);
    komm->attachView(nullptr);
}

TEST_F(ExchangeTiming, EachPassHandlesAtMostOneByte) {
    connect();
    const std::string reply(60, 'r');
    peer.respond(answers({{"R303", {{0ms, reply + "\r"}}}}));
    const int passes = passesFor("R303");
    EXPECT_EQ(komm->ReplyText, reply);
    EXPECT_GE(passes, 60) << "one byte per pass";
    EXPECT_LE(passes, 60 + 25) << "and no idle passes beyond the ticks";
}

TEST_F(Exchange, PortsOutsideOneTo99OpenNothingAndReportTheInit) {
    komm = std::make_unique<TFormKomm>(ui, FastTick);
    for (int port : {0, 100, -1, 33}) {
        const int before = ovena::test::openDescriptorCount();
        komm->Port = port;
        komm->OpenPort();
        EXPECT_EQ(komm->Serial.Handle, -1);
        EXPECT_EQ(ovena::test::openDescriptorCount(), before);
        komm->InitPort();
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes.back().caption, "Fehler");
        EXPECT_EQ(ui.boxes.back().text, "Error : Init RS232 on COM" + std::to_string(port));
        ASSERT_EQ(ui.boxes.back().buttons.size(), 1u);
        EXPECT_EQ(ui.boxes.back().buttons[0].text, "OK");
        komm->SendCommand("SERVICE001");
        EXPECT_TRUE(komm->CommError);
    }
    EXPECT_EQ(ui.boxes.size(), 4u);
}

TEST_F(Exchange, OpenPortStartsAFreshConnectionEachTime) {
    connect();
    const int before = ovena::test::openDescriptorCount();
    komm->OpenPort();
    komm->InitPort();
    EXPECT_TRUE(komm->Serial.Active);
    EXPECT_FALSE(komm->Serial.Failed);
    EXPECT_EQ(ovena::test::openDescriptorCount(), before);
    peer.respond(answers({{"R004", {{0ms, "123\r"}}}}));
    komm->SendCommand("R004");
    EXPECT_EQ(komm->ReplyText, "123");
    komm->Serial.Close();
    EXPECT_FALSE(komm->Serial.Active);
}

TEST_F(Exchange, TimerTicksCountDownToZeroAndNoFurther) {
    komm = std::make_unique<TFormKomm>(ui, 1h);
    komm->Countdown = 2;
    komm->Timer1Timer();
    EXPECT_EQ(komm->Countdown, 1);
    komm->Timer1Timer();
    komm->Timer1Timer();
    EXPECT_EQ(komm->Countdown, 0);
}

TEST_F(ExchangeTiming, WithRealTicksTheBudgetIsAboutTwoSecondsAndWaitingSleeps) {
    connect(TFormKomm::TickInterval);
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    komm->SendCommand("R002");
    const auto elapsed = Clock::now() - start;
    const double cpu = cpuSeconds() - cpuBefore;
    EXPECT_TRUE(komm->CommError);
    // Twenty ticks, the first of them perhaps overdue when the wait begins on a busy machine.
    EXPECT_GE(elapsed, 1800ms);
    EXPECT_LE(elapsed, 2s + upTo(200ms));
    EXPECT_LT(cpu, upTo(0.1)) << "waiting must sleep, not spin";
}

// The reply comes 1.7 s into the 2 s budget: a bound on wall-clock time, so it runs alone.
TEST_F(ExchangeTiming, WithRealTicksAReplyLateInTheBudgetStillCounts) {
    connect(TFormKomm::TickInterval);
    peer.respond(answers({{"R004", {{1500ms, "0815"}, {200ms, "\r"}}}}));
    komm->SendCommand("R004");
    EXPECT_FALSE(komm->CommError);
    EXPECT_EQ(komm->ReplyText, "0815");
}

TEST_F(ExchangeTiming, AHungUpDeviceIsSilenceUntilTheBudgetEndsWithoutSpinning) {
    connect(TFormKomm::TickInterval);
    peer.respond(answers({{"R002", {{0ms, "V1"}, {50ms, "", true}}}}));
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    const int passes = passesFor("R002");
    const auto elapsed = Clock::now() - start;
    const double cpu = cpuSeconds() - cpuBefore;
    EXPECT_TRUE(komm->CommError);
    EXPECT_TRUE(komm->Serial.HungUp());
    EXPECT_GE(elapsed, 1800ms); // as above
    EXPECT_LE(elapsed, 2s + upTo(200ms));
    EXPECT_LT(cpu, upTo(0.1)) << "a hung-up device must not turn the wait into a spin";
    EXPECT_LE(passes, 40);

    // The next exchanges on the dead line fail the same way.
    komm->SendCommand("R004");
    EXPECT_TRUE(komm->CommError);
    komm->Serial.Close();
}

} // namespace
