#include "app/qt/QtUiServices.h"
#include "QtTestSupport.h"
#include "app/MInfo.h"
#include "app/qt/FileFilter.h"
#include "link/Tools.h"
#include "support/TestEnvironment.h"
#include "support/Timing.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <chrono>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <unistd.h>

namespace ovena {
namespace {

using namespace std::chrono_literals;
using test::upTo;

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class QtServices : public testing::Test {
protected:
    QtServices() { registerApplicationViews(ui); }
    ~QtServices() override { ui.releaseViews(); }

    QApplication& application = test::qtApplication();
    QtUiServices ui;
};

TEST_F(QtServices, MessageBoxesCarryTheGermanCaptionsAndButtons) {
    QString title;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    test::whenModalAppears([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        title = box->windowTitle();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        test::buttonWithText(box, "&Nein")->click();
    });
    EXPECT_FALSE(ConfirmBox(ui, "Clear data memory in Instrument?"));
    EXPECT_EQ(title, QString::fromUtf8("Best\u00e4tigen"));
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_THAT(buttons, testing::UnorderedElementsAre("&Ja", "&Nein"));

    test::whenModalAppears([](QWidget* modal) { test::buttonWithText(modal, "&Ja")->click(); });
    EXPECT_TRUE(ConfirmBox(ui, "Clear data memory in Instrument?"));

    test::whenModalAppears([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        title = box->windowTitle();
        icon = box->icon();
        box->defaultButton()->click();
    });
    ErrorBox(ui, "Error TEV 640 communication");
    EXPECT_EQ(title, "Fehler");
    EXPECT_EQ(icon, QMessageBox::Critical);
}

// Asserts bounds on processor or wall-clock time, so it runs alone.
class QtServicesTiming : public QtServices {};

TEST_F(QtServicesTiming, WaitingSleepsUntilTheNextTick) {
    int ticks = 0;
    const TimerId timer = ui.startTimer(100ms, [&] { ++ticks; });
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const double cpuBefore = processorSeconds();
    const auto before = std::chrono::steady_clock::now();
    int waits = 0;
    while (ticks < 5 && waits < 1000) {
        ui.waitForEvents(fds[0]);
        ++waits;
    }
    const auto elapsed = std::chrono::steady_clock::now() - before;
    ui.stopTimer(timer);
    EXPECT_EQ(ticks, 5);
    EXPECT_GE(elapsed, 400ms);
    EXPECT_LT(waits, 50); // asleep between ticks, not spinning
    EXPECT_LT(processorSeconds() - cpuBefore, upTo(0.1));
    close(fds[0]);
    close(fds[1]);
}

TEST_F(QtServices, AByteOnTheDescriptorEndsTheWait) {
    int ticks = 0;
    const TimerId timer = ui.startTimer(5s, [&] { ++ticks; });
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    ui.waitForEvents(fds[0]);
    EXPECT_EQ(ticks, 0) << "the byte ended the wait, not the timer";
    ui.stopTimer(timer);
    close(fds[0]);
    close(fds[1]);
}

TEST_F(QtServicesTiming, WithNothingToWaitForTheWaitReturns) {
    const auto before = std::chrono::steady_clock::now();
    ui.waitForEvents(-1);
    EXPECT_LT(std::chrono::steady_clock::now() - before, upTo(1s));
}

TEST_F(QtServices, ATimerMayStopItselfFromItsTick) {
    int ticks = 0;
    TimerId timer = 0;
    timer = ui.startTimer(10ms, [&] {
        ++ticks;
        ui.stopTimer(timer);
    });
    // At least 300 ms, and at least until the first tick however late it comes.
    const auto until = std::chrono::steady_clock::now() + 300ms;
    while (std::chrono::steady_clock::now() < until || ticks == 0)
        ui.waitForEvents(-1);
    EXPECT_EQ(ticks, 1);
}

TEST_F(QtServices, TheClipboardReceivesTheTextAsUnicode) {
    ui.setClipboardText("Gr\xFC\xDF"
                        "e\t1,5 \x80");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Grüße\t1,5 €"));
}

TEST_F(QtServices, TheSaveDialogAnswersTheChosenPath) {
    const QString target = QString::fromStdString(test::sandboxFolder()) + "/Messwerte";
    QStringList filters;
    test::whenModalAppears([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_TRUE(dialog);
        filters = dialog->nameFilters();
        test::typeFileName(dialog, target);
        static_cast<QDialog*>(dialog)->accept(); // as the Save button does
    });
    SaveFileRequest request;
    request.title = "Export";
    request.filter = "Microsoft Excel (*.xls)|*.xls|All files|*.*";
    request.defaultExtension = "xls";
    auto path = ui.saveFileDialog(request);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, target.toStdString() + ".xls");
    EXPECT_EQ(filters, QStringList({"Microsoft Excel (*.xls)", "All files (*)"}));

    test::whenModalAppears([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(ui.saveFileDialog(request).has_value());
}

TEST(FileFilter, DelphiFiltersBecomeQtNameFilters) {
    EXPECT_EQ(qtNameFilters("HTML|*.htm;*.html|Text|*.txt"),
              QStringList({"HTML (*.htm *.html)", "Text (*.txt)"}));
    EXPECT_EQ(qtNameFilters("All|*.*"), QStringList({"All (*)"}));
    EXPECT_EQ(qtNameFilters("Rich Text (*.rtf)|*.rtf"), QStringList({"Rich Text (*.rtf)"}));
    EXPECT_EQ(qtNameFilters("Lonely"), QStringList({"Lonely (*)"}));
    EXPECT_EQ(qtNameFilters(""), QStringList());
    EXPECT_EQ(qtNameFilters("Tabelle f\xFCr Excel|*.xls"),
              QStringList({QString::fromUtf8("Tabelle für Excel (*.xls)")}));
}

TEST_F(QtServices, FormsAreShownHiddenEnabledAndMinimised) {
    TFormMInfo progress(ui);
    ui.showForm(progress);
    QWidget* window = ui.viewOf(progress).widget();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(progress.Visible);
    ui.setFormEnabled(progress, false);
    EXPECT_FALSE(window->isEnabled());
    EXPECT_FALSE(progress.Enabled);
    ui.minimizeApplication();
    EXPECT_TRUE(window->isMinimized());
    ui.restoreApplication();
    EXPECT_FALSE(window->isMinimized());
    ui.hideForm(progress);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(progress.Visible);
    ui.releaseViews(); // before the form dies
}

TEST_F(QtServices, TheHourglassIsSetOnceAndFullyRestored) {
    ui.setCursor(CursorShape::Hourglass);
    ui.setCursor(CursorShape::Hourglass);
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.setCursor(CursorShape::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace ovena
