#include "../TwoRecords.h"
#include "QtTestSupport.h"
#include "app/OvenaForms.h"
#include "app/qt/QtText.h"
#include "app/qt/QtUiServices.h"
#include "archive/Workstation.h"
#include "platform/ConfigPaths.h"
#include "platform/LocaleSettings.h"
#include "platform/Shell.h"
#include "support/PostgresServer.h"
#include "support/PseudoPorts.h"
#include "support/SimulatedInstrument.h"
#include "support/TcpForwarder.h"
#include "support/TestEnvironment.h"
#include "table/SettingsPersistence.h"
#include "table/TableBuilder.h"

#include <QAbstractItemModelTester>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <csignal>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <thread>

namespace ovena {
namespace {

using namespace test;
using testing::ElementsAre;

const std::string Serial = "64012345";
const std::vector<std::string> FuelNames = {"Heiz\xF6l EL", "Erdgas H"};

// Three customers of one instrument, the last with three tests before its measurement, and one
// record of a second instrument.
const std::vector<archive::RecordLines> FirstReadout = {
    {"1;4711", "2;0712241530;2;21.5;180.2;60.0;3.5;12;40;1013.2;1.20;10.8;15;7.3;0;0;0;0;0;1;0;41"},
    {"1;4712", "2;0712251000;1;20.0;150.0;55.0;4.0;8;35;1001.0;1.24;12.1;9;0.05;1;0;0;0;0;0;0;35"},
    {"1;4800", "21;0801021200;1;19.0;140.0;50.0;5.1;9;30;1000.0;1.30;11.0;8;6.0;0;0;0;0;0;0;0;30",
     "22;0801021201;1;19.0;141.0;50.0;5.2;9;30;1000.0;1.30;11.0;8;6.1;0;0;0;0;0;0;0;30",
     "23;0801021202;1;19.0;142.0;50.0;5.3;9;30;1000.0;1.30;11.0;8;6.2;0;0;0;0;0;0;0;30",
     "12;0;0;0;-0.12",
     "2;0801021210;1;19.0;143.0;50.0;5.4;9;30;1000.0;1.30;11.0;8;6.3;0;0;0;0;0;0;0;30"}};
const std::vector<archive::RecordLines> SecondReadout = {
    {"1;4711",
     "2;0901151000;2;22.0;170.0;58.0;2.9;11;38;1010.0;1.18;10.5;14;7.9;0;0;0;0;0;0;0;40"}};

void fillArchive() {
    archive::Archive store = archive::Archive::openFile(archive::defaultArchiveFile(), true);
    archive::ReadoutInfo readout{"2024-05-01T10:00:00Z", "ws", "user", "COM5", Serial, FuelNames};
    store.store(readout, FirstReadout);
    readout.instrumentSerial = "64099999";
    readout.startedAt = "2024-05-02T10:00:00Z";
    store.store(readout, SecondReadout);
}

// Types into a field as a user does, so it sees the edits a user makes.
void typeInto(QLineEdit* field, const QString& text) {
    field->setFocus();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

// Services events until `done` holds or the time has passed.
template <class Predicate>
bool serviceUntil(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(2)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class ArchiveViewTest : public testing::Test {
protected:
    ArchiveViewTest() {
        registerApplicationViews(ui);
        fillArchive();
        store.load();
        store.writeString(InternationalKey, "sDecimal", ",");
        store.writeString(InternationalKey, "sList", ";");
        store.writeString(SettingsKey, "CBHeader_Checked", "True");
        store.writeString(SettingsKey, "CBNumberRows_Checked", "True");
        forms = std::make_unique<OvenaForms>(ui, shell, store);
        TFormMain& main = forms->FormMain;
        main.Listboxfields.Checked.fill(false);
        for (const int field : {0, 1, 2, 3, 7, 18})
            main.Listboxfields.Checked[static_cast<std::size_t>(field)] = true;
        main.Show();
        ui.processEvents();
    }
    ~ArchiveViewTest() override {
        ui.releaseViews();
        forms.reset();
    }

    void openArchive() {
        QWidget* main = ui.viewOf(forms->FormMain).widget();
        auto* button = main->findChild<QToolButton*>(QStringLiteral("BtArchive"));
        ASSERT_TRUE(button);
        EXPECT_EQ(button->text(), QStringLiteral("Archive"));
        EXPECT_EQ(button->toolTip(),
                  QStringLiteral("Browse the measurements kept from every readout"));
        button->click();
        ui.processEvents();
        window = ui.viewOf(forms->FormArchive).widget();
        table = window->findChild<QTableView*>(QStringLiteral("ArchiveTable"));
        count = window->findChild<QLabel*>(QStringLiteral("LbCount"));
        ASSERT_TRUE(table && count);
    }
    QLineEdit* field(const char* name) {
        return window->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    // Types into a filter and waits for the count to change.
    void filterBy(const char* name, const QString& text) {
        const QString before = count->text();
        typeInto(field(name), text);
        EXPECT_TRUE(serviceUntil([&] { return count->text() != before; })) << name;
    }
    std::vector<std::string> column(int section) {
        std::vector<std::string> texts;
        QAbstractItemModel* model = table->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.push_back(model->index(row, section).data().toString().toStdString());
        return texts;
    }
    std::vector<std::string> headings() {
        std::vector<std::string> texts;
        QAbstractItemModel* model = table->model();
        for (int c = 0; c < model->columnCount(); ++c)
            texts.push_back(cp1252Text(model->headerData(c, Qt::Horizontal).toString()));
        return texts;
    }

    QApplication& application = test::qtApplication();
    QtUiServices ui;
    GioShell shell;
    SettingsStore store{settingsFile()};
    std::unique_ptr<OvenaForms> forms;
    QWidget* window = nullptr;
    QTableView* table = nullptr;
    QLabel* count = nullptr;
};

TEST_F(ArchiveViewTest, TheWindowShowsEveryMeasurementAsTheExportTableHasIt) {
    openArchive();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_NE(window->minimumSize(), window->maximumSize()); // resizable
    EXPECT_EQ(count->text(), QStringLiteral("7 measurements of 3 customers"));

    // The rows of the first readout are the rows its export table has, cell by cell, with the
    // test labels in the first column.
    TFormMain& main = forms->FormMain;
    StringGrid grid;
    FuelNameTable fuels;
    fuels[1] = FuelNames[0];
    fuels[2] = FuelNames[1];
    Memo lines;
    for (const archive::RecordLines& record : FirstReadout)
        lines.Lines.insert(lines.Lines.end(), record.begin(), record.end());
    BuildTable(lines, Serial, fuels, 2, main, grid);
    ASSERT_EQ(table->model()->columnCount(), 7);
    EXPECT_EQ(headings(), std::vector<std::string>(TableHeadings(main, true)));
    for (int row = 0; row < 6; ++row)
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(cp1252Text(table->model()->index(row, c).data().toString()),
                      grid.Cell(c, row + 1))
                << row << " " << c;
    EXPECT_EQ(table->model()->index(6, 1).data().toString(), QStringLiteral("64099999"));
    EXPECT_EQ(column(0)[2], "Pr.1");

    // Sorting by the O2 column, both ways, in the store.
    table->horizontalHeader()->setSortIndicator(5, Qt::AscendingOrder);
    EXPECT_EQ(column(5).front(), "2,9");
    EXPECT_EQ(column(5).back(), "5,4");
    table->horizontalHeader()->setSortIndicator(5, Qt::DescendingOrder);
    EXPECT_EQ(column(5).front(), "5,4");
    // The efficiency sorts by its own value, not by the loss it comes from.
    table->horizontalHeader()->setSortIndicator(6, Qt::AscendingOrder);
    EXPECT_EQ(column(6).front(), "92,1");

    // A field unticked on the configuration page leaves the table at once; a point as decimal
    // delimiter too.
    auto* fields =
        ui.viewOf(main).widget()->findChild<QListWidget*>(QStringLiteral("Listboxfields"));
    fields->item(18)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(table->model()->columnCount(), 6);
    main.RadioGroup3.ItemIndex = 1;
    main.TableSettingsChanged();
    EXPECT_EQ(column(5).front(), "2.9");
}

TEST_F(ArchiveViewTest, FiltersFindTheRightMeasurementsAsTheyAreTyped) {
    openArchive();
    filterBy("EdCustomer", QStringLiteral("471"));
    EXPECT_EQ(count->text(), QStringLiteral("3 measurements of 2 customers"));
    EXPECT_THAT(column(1), ElementsAre("4711", "4712", "4711")); // no test: no label column

    filterBy("EdInstrument", QStringLiteral("64099"));
    EXPECT_EQ(count->text(), QStringLiteral("1 measurement of 1 customer"));

    field("EdInstrument")->clear();
    field("EdCustomer")->clear();
    filterBy("EdFrom", QStringLiteral("2008-01-01"));
    EXPECT_EQ(count->text(), QStringLiteral("5 measurements of 2 customers"));
    filterBy("EdTo", QStringLiteral("2008-01-02"));
    EXPECT_EQ(count->text(), QStringLiteral("4 measurements of 1 customer"));

    // A date still being typed says what it needs and shows nothing.
    filterBy("EdTo", QStringLiteral("x"));
    auto* message = window->findChild<QLabel*>(QStringLiteral("LbMessage"));
    ASSERT_TRUE(message);
    EXPECT_THAT(message->text().toStdString(), testing::HasSubstr("YYYY-MM-DD"));
    EXPECT_TRUE(message->isVisible());
    EXPECT_EQ(count->text(), QString());
    EXPECT_EQ(table->model()->rowCount(), 0);
    field("EdFrom")->clear();
    field("EdTo")->clear();

    auto* fuel = window->findChild<QComboBox*>(QStringLiteral("CbFuel"));
    ASSERT_TRUE(fuel);
    EXPECT_EQ(fuel->count(), 3);
    const int index = fuel->findText(QString::fromUtf8("Heiz\xC3\xB6l EL"));
    ASSERT_GT(index, 0);
    fuel->setCurrentIndex(index);
    const QString before = count->text();
    Q_EMIT fuel->activated(index);
    EXPECT_TRUE(serviceUntil([&] { return count->text() != before; }));
    EXPECT_EQ(count->text(), QStringLiteral("5 measurements of 2 customers"));
}

TEST_F(ArchiveViewTest, TheWindowKeepsItsPlace) {
    openArchive();
    window->setGeometry(40, 50, 700, 500);
    ui.processEvents();
    window->close();
    ui.processEvents();
    EXPECT_FALSE(forms->FormArchive.Visible);
    const auto stored = [&](const char* name) {
        return store.readInteger("Software\\TEV\\Ovena\\ArchiveWindow", name).value_or(0);
    };
    EXPECT_EQ(stored("Width"), 700u);
    EXPECT_EQ(stored("Height"), 500u);

    forms->FormArchive.WindowWidth = 0;
    forms->FormMain.BtArchiveClick();
    ui.processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(700, 500));
}

TEST_F(ArchiveViewTest, WithACompanyServerTheWindowSyncsAndShowsTheServersArchive) {
    // Without a server the window has no server parts.
    openArchive();
    EXPECT_FALSE(window->findChild<QPushButton*>(QStringLiteral("BtSync"))->isVisible());
    window->close();

    PostgresServer server;
    if (!server.running())
        GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    store.createKey(archive::ArchiveKey);
    store.writeString(archive::ArchiveKey, "Server", server.conninfo());
    forms->FormMain.BtArchiveClick();
    ui.processEvents();
    auto* sync = window->findChild<QPushButton*>(QStringLiteral("BtSync"));
    auto* status = window->findChild<QLabel*>(QStringLiteral("LbSync"));
    auto* source = window->findChild<QComboBox*>(QStringLiteral("CbSource"));
    ASSERT_TRUE(sync && status && source);
    EXPECT_TRUE(sync->isVisible());
    EXPECT_EQ(status->text(), QStringLiteral("Not synchronised with the server yet."));

    // While an instrument procedure runs, the sync waits.
    {
        Session::BusyScope busy(forms->FormMain.session());
        EXPECT_FALSE(sync->isEnabled());
    }

    sync->click();
    EXPECT_EQ(status->text(), QStringLiteral("Connecting to the company server..."));
    EXPECT_FALSE(sync->isEnabled()) << "one sync at a time";
    EXPECT_TRUE(serviceUntil([&] { return sync->isEnabled(); }, std::chrono::seconds(20)));
    EXPECT_THAT(status->text().toStdString(),
                testing::HasSubstr("Server: 2 readouts and 4 records sent to"));

    // The server's archive, every workstation's, in place of this one's.
    source->setCurrentIndex(1);
    Q_EMIT source->activated(1);
    EXPECT_TRUE(forms->FormArchive.ShowServer);
    EXPECT_TRUE(serviceUntil(
        [&] { return count->text() == QStringLiteral("7 measurements of 3 customers"); },
        std::chrono::seconds(20)));
    EXPECT_TRUE(serviceUntil(
        [&] { return table->model()->index(6, 1).data().toString() == QStringLiteral("64099999"); },
        std::chrono::seconds(20)));
    EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("CbFuel"))->count(), 3);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// A company server that takes the connection and says nothing: the window keeps drawing and
// keeps what is typed while it waits, tells when the wait ends, and closes at once.
TEST_F(ArchiveViewTest, ASilentCompanyServerLeavesTheWindowLiveAndTheTypedTextKept) {
    PostgresServer server;
    if (!server.running())
        GTEST_SKIP() << "no PostgreSQL server could start: " << server.failure();
    TcpForwarder forwarder(postgresSocket(server.socketFolder()));
    forwarder.stopAnswering();
    store.createKey(archive::ArchiveKey);
    store.writeString(archive::ArchiveKey, "Server",
                      forwarder.hostAndPort() + " dbname=" + server.database() + " user=ovena");
    forms->FormArchive.ServerWaits.connect = std::chrono::milliseconds(1500);
    openArchive();
    auto* source = window->findChild<QComboBox*>(QStringLiteral("CbSource"));
    ASSERT_TRUE(source && source->isVisible());
    const auto chooseServer = [&] {
        source->setCurrentIndex(1);
        Q_EMIT source->activated(1);
    };

    chooseServer();
    EXPECT_EQ(count->text(), QStringLiteral("Asking the company server..."));
    PaintCounter painted;
    field("EdCustomer")->installEventFilter(&painted);
    typeInto(field("EdCustomer"), QStringLiteral("47"));
    serviceUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_GT(painted.paints, 0) << "the window drew while the server was awaited";
    EXPECT_EQ(field("EdCustomer")->text(), QStringLiteral("47"));

    auto* message = window->findChild<QLabel*>(QStringLiteral("LbMessage"));
    ASSERT_TRUE(message);
    EXPECT_TRUE(serviceUntil(
        [&] { return message->text().contains(QStringLiteral("did not answer within 1.5 s")); },
        std::chrono::seconds(20)))
        << message->text().toStdString();
    EXPECT_EQ(count->text(), QString());
    EXPECT_EQ(field("EdCustomer")->text(), QStringLiteral("47"));
    EXPECT_EQ(forms->FormArchive.CustomerFilter, "47");

    // Closing while the server is awaited ends the wait at once.
    chooseServer();
    source->setCurrentIndex(0);
    Q_EMIT source->activated(0);
    chooseServer();
    const auto start = std::chrono::steady_clock::now();
    window->close();
    ui.processEvents();
    EXPECT_FALSE(forms->FormArchive.Visible);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

// Runs `action` once a modal window of type W is up, skipping other modal windows.
template <class W> void whenModal(std::function<void(W*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto* modal = qobject_cast<W*>(QApplication::activeModalWidget());
            modal && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            action(modal);
        }
    });
    poll->start(10);
}

TEST_F(ArchiveViewTest, ASelectionExportsTheFileAReadoutOfTheSameRecordsGives) {
    openArchive();
    auto* exportButton = window->findChild<QPushButton*>(QStringLiteral("BtExport"));
    ASSERT_TRUE(exportButton);
    EXPECT_TRUE(exportButton->isEnabled());
    // While an instrument procedure runs, the export waits.
    {
        Session::BusyScope busy(forms->FormMain.session());
        EXPECT_FALSE(exportButton->isEnabled());
    }

    // The two records the simulator's readout of TwoRecordsMemory brings, chosen in the table.
    QItemSelection chosen;
    for (const int row : {0, 1})
        chosen.select(table->model()->index(row, 0), table->model()->index(row, 0));
    table->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);

    const std::string file = sandboxFolder() + "/archive.csv";
    whenModal<QDialog>([&](QDialog* dialog) {
        auto* formats = dialog->findChild<QComboBox*>(QStringLiteral("ExportTypeComboBox"));
        const int csv = formats->findText(QStringLiteral("Comma-Delimited Text (CSV)"));
        formats->setCurrentIndex(csv);
        Q_EMIT formats->activated(csv);
        dialog->findChild<QRadioButton*>(QStringLiteral("FileRadioButton"))->click();
        whenModal<QFileDialog>([file](QFileDialog* save) {
            typeFileName(save, QString::fromStdString(file));
            static_cast<QDialog*>(save)->accept();
        });
        buttonWithText(dialog, QStringLiteral("&Ok"))->click();
    });
    exportButton->click();
    EXPECT_EQ(readFile(file), TwoRecordsCsv);
}

// The chart's series by name, each with its values.
std::map<std::string, std::vector<double>> chartValues(QWidget* window) {
    auto* view = window->findChild<QChartView*>(QStringLiteral("Chart"));
    std::map<std::string, std::vector<double>> values;
    if (!view)
        return values;
    for (QAbstractSeries* series : view->chart()->series()) {
        std::vector<double>& points = values[series->name().toStdString()];
        for (const QPointF& point : static_cast<QXYSeries*>(series)->points())
            points.push_back(point.y());
    }
    return values;
}

TEST_F(ArchiveViewTest, TheChartShowsTheChosenCustomersValuesPerFieldWithTestsApart) {
    using Values = std::map<std::string, std::vector<double>>;
    openArchive();
    // The first customer found until a row is chosen: its measurements oldest first, and the
    // efficiency the table shows (none where no loss was measured).
    EXPECT_EQ(chartValues(window),
              (Values{{"O2", {3.5, 2.9}}, {"CO", {12, 11}}, {"Eta", {92.7, 92.1}}}));

    table->selectRow(3); // a test of customer 4800
    EXPECT_EQ(forms->FormArchive.ChartCustomer, "4800");
    EXPECT_EQ(chartValues(window), (Values{{"O2", {5.4}},
                                           {"CO", {9}},
                                           {"Eta", {93.7}},
                                           {"O2 (tests)", {5.1, 5.2, 5.3}},
                                           {"CO (tests)", {9, 9, 9}},
                                           {"Eta (tests)", {94, 93.9, 93.8}}}));
    auto* view = window->findChild<QChartView*>(QStringLiteral("Chart"));
    for (QAbstractSeries* series : view->chart()->series())
        EXPECT_EQ(series->name().endsWith(QStringLiteral("(tests)")),
                  qobject_cast<QScatterSeries*>(series) != nullptr);

    // Fields chosen beside the chart: the draft a measurement takes from its draft line.
    auto* fields = window->findChild<QListWidget*>(QStringLiteral("ChartFields"));
    ASSERT_TRUE(fields);
    for (int i = 0; i < fields->count(); ++i)
        if (fields->item(i)->text() == QStringLiteral("Draft[corr]"))
            fields->item(i)->setCheckState(Qt::Checked);
        else if (fields->item(i)->checkState() == Qt::Checked)
            fields->item(i)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(chartValues(window), (Values{{"Draft[corr]", {-0.12}}}));

    // "Save chart..." writes what the window shows, as PNG or as SVG.
    const std::string png = sandboxFolder() + "/chart.png";
    const std::string svg = sandboxFolder() + "/chart.svg";
    ASSERT_TRUE(forms->FormArchive.ChartWriter);
    EXPECT_EQ(forms->FormArchive.ChartWriter(png), "");
    EXPECT_EQ(readFile(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(forms->FormArchive.ChartWriter(svg), "");
    EXPECT_THAT(readFile(svg), testing::HasSubstr("<svg"));
    EXPECT_NE(forms->FormArchive.ChartWriter(sandboxFolder() + "/missing/chart.png"), "");

    // A disk that fills while the picture is written: the failure is told and the chart saved
    // before under that name stays as it was.
    writeFile(svg, "old");
    struct rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string fullDisk = forms->FormArchive.ChartWriter(svg);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_THAT(fullDisk, testing::StartsWith("The chart could not be written to " + svg + ": "));
    EXPECT_EQ(readFile(svg), "old");
}

// The instrument of the procedures below: one record of a customer new to the archive, whose
// row sorts before those chosen.
constexpr int NewRecordPort = 5;
constexpr const char* NewRecordMemory =
    "serial=64012345\nfirmware=V3.02\nfuel=Heiz\xF6l EL\nfuel=Erdgas H\n"
    "record\n1;4700\n"
    "2;0712201000;1;20.0;150.0;55.0;4.4;8;35;1001.0;1.24;12.1;9;0.05;1;0;0;0;0;0;0;35\n"
    "end\n";

class ArchiveViewProcedures : public ArchiveViewTest {
protected:
    ArchiveViewProcedures() {
        TFormMain& main = forms->FormMain;
        main.GroupBox2.Tag = NewRecordPort;
        main.BuildPortButtons();
        main.SelectPort();
    }
    // The customer cells of the rows chosen in the table.
    std::vector<std::string> chosenCustomers() {
        std::vector<std::string> customers;
        for (const QModelIndex& row : table->selectionModel()->selectedRows(2))
            customers.push_back(row.data().toString().toStdString());
        std::sort(customers.begin(), customers.end());
        return customers;
    }

    PseudoPorts ports{};
    SimulatedInstrument sim{NewRecordPort, NewRecordMemory};
};

TEST_F(ArchiveViewProcedures, ASelectionAndTheViewSurviveStartInfoAndAReadout) {
    openArchive();
    QAbstractItemModelTester tester(table->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    table->horizontalHeader()->setSortIndicator(2, Qt::AscendingOrder); // by customer
    window->resize(700, 300);
    ui.processEvents();
    ASSERT_GT(table->verticalScrollBar()->maximum(), 0);
    QItemSelection chosen;
    for (const int row : {1, 2})
        chosen.select(table->model()->index(row, 0), table->model()->index(row, 0));
    table->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    table->selectionModel()->setCurrentIndex(table->model()->index(2, 0),
                                             QItemSelectionModel::NoUpdate);
    table->verticalScrollBar()->setValue(1);
    ASSERT_EQ(chosenCustomers(), (std::vector<std::string>{"4711", "4712"}));

    // "Start Info" changes nothing in the archive: the rows stay as they are.
    TFormMain& main = forms->FormMain;
    whenModal<QDialog>([](QDialog* box) { box->reject(); });
    main.BtInfoClick();
    EXPECT_EQ(chosenCustomers(), (std::vector<std::string>{"4711", "4712"}));
    EXPECT_EQ(table->verticalScrollBar()->value(), 1);
    EXPECT_EQ(count->text(), QStringLiteral("7 measurements of 3 customers"));

    // A readout brings a row that sorts first: the chosen rows move down with their records.
    // (Its choice dialog is cancelled; the archive keeps the records all the same.)
    whenModal<QDialog>([](QDialog* dialog) { dialog->reject(); });
    main.BtExecuteExportClick();
    EXPECT_EQ(count->text(), QStringLiteral("8 measurements of 4 customers"));
    EXPECT_EQ(table->model()->index(0, 2).data().toString(), QStringLiteral("4700"));
    EXPECT_EQ(chosenCustomers(), (std::vector<std::string>{"4711", "4712"}));
    EXPECT_EQ(table->selectionModel()->currentIndex().row(), 3);
    EXPECT_EQ(table->verticalScrollBar()->value(), 1);
}

} // namespace
} // namespace ovena
