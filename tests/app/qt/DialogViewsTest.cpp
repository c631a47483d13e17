#include "QtTestSupport.h"
#include "app/About.h"
#include "app/MInfo.h"
#include "app/qt/QtUiServices.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <gmock/gmock.h>

namespace ovena {
namespace {

class DialogViews : public testing::Test {
protected:
    DialogViews() { registerApplicationViews(ui); }
    ~DialogViews() override { ui.releaseViews(); }

    QApplication& application = test::qtApplication();
    QtUiServices ui;
};

TEST_F(DialogViews, ProgressWithoutCancelIs71PixelsHigh) {
    TFormMInfo progress(ui);
    progress.StartProgress("Read TEV 640 Database", false);
    QWidget* window = ui.viewOf(progress).widget();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(273, 71));
    EXPECT_FALSE(window->findChild<QPushButton*>("BtAbbruch")->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->findChild<QLabel*>("LabelTitel")->text(), "Read TEV 640 Database");
    EXPECT_TRUE(window->findChild<QLabel*>("LabelTitel")->font().bold());

    progress.StartProgress("Read TEV 640 Database", true);
    EXPECT_EQ(window->size(), QSize(273, 110));
    EXPECT_TRUE(window->findChild<QPushButton*>("BtAbbruch")->isVisible());
    ui.releaseViews();
}

TEST_F(DialogViews, TheBarReplacesTheStatusAndCancelHidesTheWindow) {
    TFormMInfo progress(ui);
    progress.StartProgress("Read TEV 640 Database", true);
    progress.ShowStatus("Open TEV 640");
    QWidget* window = ui.viewOf(progress).widget();
    auto* status = window->findChild<QLabel*>("LabelInfo");
    auto* bar = window->findChild<QProgressBar*>("Progress");
    EXPECT_EQ(status->text(), "Open TEV 640");
    EXPECT_TRUE(status->isVisible());
    EXPECT_FALSE(bar->isVisible());

    progress.SetProgressMax(20);
    progress.SetProgress(5);
    EXPECT_FALSE(status->isVisible());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 20);
    EXPECT_EQ(bar->value(), 5);

    auto* cancel = window->findChild<QPushButton*>("BtAbbruch");
    EXPECT_EQ(cancel->text(), "&Abbruch");
    cancel->click();
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_FALSE(window->isVisible());
    ui.releaseViews();
}

TEST_F(DialogViews, InfoBoxShowsTheLinesReversed) {
    TAboutBox box(ui);
    box.SetInfo({"A", "B", "C"}, "Ovena");
    QStringList items;
    QString caption;
    QString title;
    QSize size;
    QColor background;
    test::whenModalAppears([&](QWidget* dialog) {
        title = dialog->windowTitle();
        size = dialog->size();
        auto* list = dialog->findChild<QListWidget*>("ListBox");
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        background = list->viewport()->palette().color(list->viewport()->backgroundRole());
        caption = dialog->findChild<QLabel*>("Label1")->text();
        dialog->findChild<QPushButton*>("BitBtn1")->click();
    });
    EXPECT_EQ(box.ShowModal(), ModalResult::Ok);
    EXPECT_EQ(items, QStringList({"C", "B", "A"}));
    EXPECT_EQ(caption, "Ovena");
    EXPECT_EQ(title, "Info");
    EXPECT_EQ(size, QSize(356, 287));
    EXPECT_EQ(background, QColor(131, 226, 222));
}

TEST_F(DialogViews, ClosingTheInfoBoxByItsTitleBarCancels) {
    TAboutBox box(ui);
    test::whenModalAppears([](QWidget* dialog) { dialog->close(); });
    EXPECT_EQ(box.ShowModal(), ModalResult::Cancel);
}

} // namespace
} // namespace ovena
