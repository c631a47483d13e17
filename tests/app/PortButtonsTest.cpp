// The "Comports" group as the machine's ports come and go: adapters plugged while the page is
// shown, the chosen port kept while its adapter is away, and ports the user cannot take shown
// disabled with the reason.

#include "StoredSettings.h"
#include "TwoRecords.h"
#include "app/OvenaForms.h"
#include "platform/Shell.h"
#include "support/FakeMachine.h"
#include "support/FakeUi.h"
#include "support/OpenCounter.h"
#include "support/PtyPeer.h"
#include "support/SimulatedInstrument.h"
#include "support/SleepingProcess.h"
#include "support/TestEnvironment.h"
#include "support/Unprivileged.h"

#include <gmock/gmock.h>

#include <chrono>
#include <memory>

namespace ovena {
namespace {

using namespace test;
using namespace std::chrono_literals;
using testing::ElementsAre;

class PortButtons : public testing::Test {
protected:
    void start(const std::string& storedPort) {
        ASSERT_TRUE(storePort(storedPort));
        store.load();
        forms = std::make_unique<OvenaForms>(ui, shell, store);
        main().Show();
    }
    TFormMain& main() { return forms->FormMain; }
    // "COMn" for an enabled button, "(COMn)" for a disabled one, "*" after the selected one.
    std::vector<std::string> buttons() {
        std::vector<std::string> shown;
        for (const RadioButton& b : main().PortButtons)
            shown.push_back((b.Enabled ? b.Caption : "(" + b.Caption + ")") +
                            (b.Checked ? "*" : ""));
        return shown;
    }
    const RadioButton& button(const std::string& caption) {
        for (const RadioButton& b : main().PortButtons)
            if (b.Caption == caption)
                return b;
        throw std::runtime_error("no button " + caption);
    }
    // Services the window's events until the buttons are `expected` or ten seconds passed.
    bool awaitButtons(const std::vector<std::string>& expected) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        ui.loop.startTimer(20ms, [] {}); // lets each wait end after a short while
        while (buttons() != expected && std::chrono::steady_clock::now() < deadline)
            ui.waitForEvents(-1);
        return buttons() == expected;
    }

    FakeMachine machine;
    FakeUi ui;
    GioShell shell;
    SettingsStore store{settingsFile()};
    std::unique_ptr<OvenaForms> forms;
};

TEST_F(PortButtons, AdaptersPluggedWhileTheConfigurationPageIsShownAppearAndGo) {
    PtyPeer ftdiLine(0), acmLine(0);
    machine.addOnboard("ttyS0", 4, ftdiLine.device());
    start("1");
    EXPECT_THAT(buttons(), ElementsAre("COM1*"));

    main().BtKonfigClick();
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", ftdiLine.device());
    ASSERT_TRUE(awaitButtons({"COM1*", "COM5"}));
    EXPECT_EQ(button("COM5").Top, 40);
    EXPECT_EQ(button("COM5").Hint, machine.node("ttyUSB0") + " (FTDI FT232R USB UART)");

    machine.plug(FakeMachine::cdcAcm(), "1-3", "ttyACM0", acmLine.device());
    ASSERT_TRUE(awaitButtons({"COM1*", "COM5", "COM6"}));
    main().PortButtonClick(2);
    machine.unplug("1-2");
    ASSERT_TRUE(awaitButtons({"COM1", "COM6*"})) << "the choice survives the rebuild";

    // Away from the page nothing is rebuilt; entering it again shows the machine as it is.
    main().SpItReaddataClick();
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", ftdiLine.device());
    EXPECT_FALSE(awaitButtons({"COM1", "COM5", "COM6*"}));
    main().BtKonfigClick();
    EXPECT_THAT(buttons(), ElementsAre("COM1", "COM5", "COM6*"));
    EXPECT_EQ(forms->FormKomm.Port, 6);
}

TEST_F(PortButtons, ASimulatorStartedAfterTheWindowShowsUpOnThePage) {
    start("3");
    main().BtKonfigClick();
    EXPECT_THAT(buttons(), ElementsAre("(COM3)*"));
    SimulatedInstrument sim(6, TwoRecordsMemory);
    EXPECT_TRUE(awaitButtons({"(COM3)*", "COM6"}));
}

TEST_F(PortButtons, TheChosenPortStaysChosenWhileItsAdapterIsAwayAndWorksWhenItIsBack) {
    SimulatedInstrument sim(0, TwoRecordsMemory);
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", sim.process().device());
    start("5");
    ASSERT_THAT(buttons(), ElementsAre("COM5*"));
    main().Close();
    forms.reset();

    // The next start comes before the adapter is plugged in.
    machine.unplug("1-2");
    start("5");
    EXPECT_THAT(buttons(), ElementsAre("(COM5)*"));
    EXPECT_EQ(button("COM5").Hint, "not connected");
    EXPECT_EQ(main().GroupBox2.Tag, 5);
    EXPECT_EQ(forms->FormKomm.Port, 5);

    main().BtInfoClick();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, "Error : Init RS232 on COM5");
    EXPECT_EQ(ui.boxes[1].text, "Error TEV 640 communication");

    // Plugged into another socket, where the kernel names it differently.
    machine.plug(FakeMachine::ftdi(), "1-4", "ttyUSB3", sim.process().device());
    main().BtInfoClick();
    EXPECT_EQ(ui.boxes.size(), 2u) << ui.boxes.back().text;
    EXPECT_THAT(sim.commands(), testing::Contains("R002"));
    main().BtKonfigClick();
    EXPECT_THAT(buttons(), ElementsAre("COM5*"));
    EXPECT_EQ(button("COM5").Hint, machine.node("ttyUSB3") + " (FTDI FT232R USB UART)");
}

TEST_F(PortButtons, APortInUseIsDisabledNamingItsHolder) {
    PtyPeer line(0);
    const std::string node = machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", line.device());
    PtyPeer other(0);
    machine.plug(FakeMachine::ch340(), "1-4", "ttyUSB1", other.device());
    SleepingProcess minicom;
    char lock[16];
    std::snprintf(lock, sizeof lock, "%10d\n", static_cast<int>(minicom.pid()));
    writeFile(machine.lockFolder() + "/LCK..ttyUSB0", lock);
    SleepingProcess careless(machine.node("ttyUSB1"));

    start("6");
    EXPECT_THAT(buttons(), ElementsAre("(COM5)", "(COM6)*"));
    EXPECT_EQ(button("COM5").Hint, "in use by sleep (PID " + std::to_string(minicom.pid()) + ")");
    EXPECT_EQ(button("COM6").Hint, "in use by sleep (PID " + std::to_string(careless.pid()) + ")");
    main().PortButtonClick(0);
    EXPECT_FALSE(main().PortButtons[0].Checked) << "a disabled button cannot be chosen";
}

TEST_F(PortButtons, APortTheUserMayNotOpenIsDisabledNamingTheGroupToJoin) {
    if (const std::string reason = unprivilegedUnavailable(); !reason.empty())
        GTEST_SKIP() << reason;
    PtyPeer line(0);
    const std::string node = machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", line.device());
    const std::string group = denyAccess(node);
    ASSERT_TRUE(storePort("5"));
    store.load();
    ActingUnprivileged nobody;
    forms = std::make_unique<OvenaForms>(ui, shell, store);
    main().Show();
    EXPECT_THAT(buttons(), ElementsAre("(COM5)*"));
    EXPECT_EQ(button("COM5").Hint,
              "permission denied on " + node + ": join the group " + group + " and log in again");
    forms.reset();
}

TEST_F(PortButtons, FindingThePortsOpensNoDevice) {
    PtyPeer ftdiLine(0), onboardLine(0);
    machine.plug(FakeMachine::ftdi(), "1-2", "ttyUSB0", ftdiLine.device());
    machine.addOnboard("ttyS0", 4, onboardLine.device());
    OpenCounter counter({ftdiLine.device(), onboardLine.device()});
    start("5");
    main().BtKonfigClick();
    main().SpItReaddataClick();
    main().BtKonfigClick();
    EXPECT_THAT(buttons(), ElementsAre("COM1", "COM5*"));
    EXPECT_EQ(counter.opens(), 0);
}

} // namespace
} // namespace ovena
