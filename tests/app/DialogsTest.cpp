#include "app/About.h"
#include "app/MInfo.h"
#include "support/FakeUi.h"

#include <gmock/gmock.h>

namespace ovena {
namespace {

using test::FakeUi;
using testing::ElementsAre;
using testing::IsEmpty;

TEST(ProgressDialog, StartsWithOrWithoutTheCancelButton) {
    FakeUi ui;
    TFormMInfo progress(ui);
    EXPECT_EQ(progress.ClientWidth, 273);
    EXPECT_EQ(progress.ClientHeight, 74);
    EXPECT_EQ(progress.LabelInfo.Caption, "- - - ");

    progress.StartProgress("Read TEV 640 Database", false);
    EXPECT_EQ(progress.ClientHeight, 71);
    EXPECT_FALSE(progress.BtAbbruch.Visible);
    EXPECT_TRUE(progress.Visible);
    EXPECT_EQ(progress.LabelTitel.Caption, "Read TEV 640 Database");
    EXPECT_EQ(progress.LabelInfo.Caption, "");
    EXPECT_TRUE(progress.LabelInfo.Visible);
    EXPECT_FALSE(progress.Progress.Visible);

    progress.StartProgress("Read TEV 640 Database", true);
    EXPECT_EQ(progress.ClientHeight, 110);
    EXPECT_TRUE(progress.BtAbbruch.Visible);
    EXPECT_EQ(progress.BtAbbruch.Caption, "&Abbruch");
}

TEST(ProgressDialog, StatusAndBarShareOnePlace) {
    FakeUi ui;
    TFormMInfo progress(ui);
    progress.StartProgress("Read TEV 640 Database", true);
    progress.Labelinfo2.Caption = "left over";
    progress.ShowStatus("Open TEV 640");
    EXPECT_EQ(progress.LabelInfo.Caption, "Open TEV 640");

    progress.SetProgressMax(12);
    EXPECT_FALSE(progress.LabelInfo.Visible);
    EXPECT_TRUE(progress.Progress.Visible);
    EXPECT_EQ(progress.Progress.Max, 12);
    progress.ShowStatus("Read database"); // held, not seen
    EXPECT_EQ(progress.LabelInfo.Caption, "Read database");
    EXPECT_FALSE(progress.LabelInfo.Visible);

    progress.StartProgress("Again", false);
    EXPECT_EQ(progress.Labelinfo2.Caption, "");
    EXPECT_TRUE(progress.LabelInfo.Visible);
    EXPECT_FALSE(progress.Progress.Visible);
}

TEST(ProgressDialog, EachUpdateServicesTheEventQueue) {
    FakeUi ui;
    TFormMInfo progress(ui);
    progress.StartProgress("T", true);
    const int before = ui.processEventsCalls;
    progress.ShowStatus("a");
    progress.SetProgressMax(3);
    progress.SetProgress(1);
    EXPECT_EQ(ui.processEventsCalls, before + 3);
}

TEST(ProgressDialog, CancelClosesAndIsClearedByTheNextStart) {
    FakeUi ui;
    TFormMInfo progress(ui);
    progress.StartProgress("T", true);
    progress.BtAbbruchClick();
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_FALSE(progress.Visible);

    progress.SetProgress(4); // the readout's next step shows it again
    EXPECT_TRUE(progress.Visible);
    EXPECT_EQ(progress.Progress.Position, 4);
    EXPECT_TRUE(progress.Cancelled());

    progress.StartProgress("T", true);
    EXPECT_FALSE(progress.Cancelled());
}

TEST(InfoBox, ShowsTheLinesFromTheLastToTheFirst) {
    FakeUi ui;
    TAboutBox box(ui);
    EXPECT_EQ(box.Caption, "Info");
    EXPECT_EQ(box.Label1.Caption, "Test");
    box.SetInfo({"A", "B", "C"}, "Ovena");
    EXPECT_THAT(box.ListBox.Items, IsEmpty());

    std::vector<std::string> shown;
    ui.onShowModal = [&](Form&) {
        shown = box.ListBox.Items;
        box.BitBtn1Click();
        return ModalResult::Ok;
    };
    EXPECT_EQ(box.ShowModal(), ModalResult::Ok);
    EXPECT_THAT(shown, ElementsAre("C", "B", "A"));
    EXPECT_EQ(box.Label1.Caption, "Ovena");
    EXPECT_THAT(ui.events, ElementsAre("modal Info", "hide Info"));

    // The kept copy is dropped once shown.
    box.ShowModal();
    EXPECT_THAT(box.ListBox.Items, ElementsAre("C", "B", "A"));
}

TEST(InfoBox, ClosingWithoutOkAnswersTheDialogsResult) {
    FakeUi ui;
    TAboutBox box(ui);
    EXPECT_EQ(box.ShowModal(), ModalResult::Cancel);
}

} // namespace
} // namespace ovena
