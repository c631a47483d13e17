#include "ArchiveView.h"

#include "app/qt/FormWindow.h"
#include "app/qt/QtText.h"
#include "platform/FileReplacement.h"
#include "table/FieldCatalogue.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalBlocker>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <system_error>

namespace ovena {

namespace {

// Typing pauses this long before the filter runs, so a number typed quickly is one query.
constexpr int FilterDelayMs = 250;

QDateTime measuredAt(const std::string& iso) {
    QDateTime time = QDateTime::fromString(QString::fromStdString(iso), Qt::ISODate);
    time.setTimeSpec(Qt::UTC);
    return time;
}

} // namespace

// The window keeps the form told where it stands, so the form can store its place when it
// closes, whichever way it closes.
class ArchiveView::Window : public FormWindow<TFormArchive> {
public:
    explicit Window(TFormArchive& form) : FormWindow<TFormArchive>(form), form_(form) {}

protected:
    void moveEvent(QMoveEvent* event) override {
        FormWindow<TFormArchive>::moveEvent(event);
        notePlace();
    }
    void resizeEvent(QResizeEvent* event) override {
        FormWindow<TFormArchive>::resizeEvent(event);
        notePlace();
    }
    void changeEvent(QEvent* event) override {
        FormWindow<TFormArchive>::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange)
            notePlace();
    }

private:
    void notePlace() {
        if (!isVisible())
            return;
        form_.WindowMaximized = isMaximized();
        const QRect place = form_.WindowMaximized ? normalGeometry() : geometry();
        if (!place.isValid())
            return;
        form_.WindowLeft = place.x();
        form_.WindowTop = place.y();
        form_.WindowWidth = place.width();
        form_.WindowHeight = place.height();
    }

    TFormArchive& form_;
};

int ArchiveTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(form_.RowCount());
}

int ArchiveTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(form_.Columns().size());
}

QVariant ArchiveTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const std::vector<std::string>& row = form_.Row(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    return column < row.size() ? QVariant(qtText(row[column])) : QVariant();
}

QVariant ArchiveTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    const auto& columns = form_.Columns();
    return section >= 0 && section < static_cast<int>(columns.size())
               ? QVariant(qtText(columns[static_cast<std::size_t>(section)].Heading))
               : QVariant();
}

void ArchiveTableModel::reset() {
    beginResetModel();
    endResetModel();
}

void ArchiveTableModel::relayout() {
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int64_t> rows;
    rows.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        rows.push_back(index.row());
    const std::vector<std::int64_t> moved = form_.RowsAfterChange(rows);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const std::int64_t row = moved[static_cast<std::size_t>(i)];
        after.append(row >= 0 ? index(static_cast<int>(row), before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
    cellsChanged();
}

void ArchiveTableModel::cellsChanged() {
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

ArchiveView::ArchiveView(TFormArchive& form, QtUiServices&)
    : QtFormView(form), form_(form), window_(std::make_unique<Window>(form)) {
    QWidget* window = window_.get();
    window->setObjectName(QStringLiteral("FormArchive"));
    window->setWindowFlags(Qt::Window);
    window->resize(form.ClientWidth, form.ClientHeight);

    const auto edit = [&](const char* name, const QString& placeholder) {
        auto* field = new QLineEdit(window);
        field->setObjectName(QString::fromLatin1(name));
        field->setPlaceholderText(placeholder);
        field->setClearButtonEnabled(true);
        QObject::connect(field, &QLineEdit::textEdited, field, [this] { filterEdited(); });
        return field;
    };
    customer_ = edit("EdCustomer", QStringLiteral("Customer number"));
    instrument_ = edit("EdInstrument", QStringLiteral("Instrument serial"));
    from_ = edit("EdFrom", QStringLiteral("YYYY-MM-DD"));
    to_ = edit("EdTo", QStringLiteral("YYYY-MM-DD"));
    fuel_ = new QComboBox(window);
    fuel_->setObjectName(QStringLiteral("CbFuel"));
    QObject::connect(fuel_, &QComboBox::activated, fuel_, [this] { filterEdited(); });

    auto* filters = new QHBoxLayout;
    const auto add = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, window);
        label->setBuddy(field);
        filters->addWidget(label);
        filters->addWidget(field, 1);
    };
    add(QStringLiteral("&Customer:"), customer_);
    add(QStringLiteral("&Instrument:"), instrument_);
    add(QStringLiteral("&From:"), from_);
    add(QStringLiteral("&To:"), to_);
    add(QStringLiteral("F&uel:"), fuel_);

    count_ = new QLabel(window);
    count_->setObjectName(QStringLiteral("LbCount"));
    export_ = new QPushButton(QStringLiteral("Export..."), window);
    export_->setObjectName(QStringLiteral("BtExport"));
    export_->setToolTip(QStringLiteral("Export the selected measurements, or all shown"));
    QObject::connect(export_, &QPushButton::clicked, export_, [this] {
        std::vector<std::int64_t> rows;
        for (const QModelIndex& index : table_->selectionModel()->selectedRows())
            rows.push_back(index.row());
        form_.ExportRows(rows);
    });
    source_ = new QComboBox(window);
    source_->setObjectName(QStringLiteral("CbSource"));
    source_->addItems({QStringLiteral("This workstation"), QStringLiteral("Company server")});
    QObject::connect(source_, &QComboBox::activated, source_,
                     [this](int index) { form_.ShowServerArchive(index == 1); });
    sync_ = new QPushButton(QStringLiteral("Sync now"), window);
    sync_->setObjectName(QStringLiteral("BtSync"));
    sync_->setToolTip(QStringLiteral("Send the company server the measurements it lacks"));
    QObject::connect(sync_, &QPushButton::clicked, sync_, [this] { form_.SyncClick(); });
    syncStatus_ = new QLabel(window);
    syncStatus_->setObjectName(QStringLiteral("LbSync"));
    // What failed, on a line of its own under the count, shown only while there is something
    // to tell.
    message_ = new QLabel(window);
    message_->setObjectName(QStringLiteral("LbMessage"));
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setStyleSheet(QStringLiteral("color: #a00000"));

    auto* countLine = new QHBoxLayout;
    countLine->addWidget(count_, 1);
    countLine->addWidget(syncStatus_);
    countLine->addWidget(source_);
    countLine->addWidget(sync_);
    countLine->addWidget(export_);

    model_ = new ArchiveTableModel(form);
    model_->setParent(window);
    table_ = new QTableView(window);
    table_->setObjectName(QStringLiteral("ArchiveTable"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    // Fixed row heights: the view never measures rows it does not show.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    QObject::connect(header, &QHeaderView::sortIndicatorChanged, header,
                     [this](int column, Qt::SortOrder order) {
                         form_.SortBy(column, order == Qt::DescendingOrder);
                     });

    debounce_ = new QTimer(window);
    debounce_->setSingleShot(true);
    debounce_->setInterval(FilterDelayMs);
    QObject::connect(debounce_, &QTimer::timeout, debounce_, [this] {
        form_.CustomerFilter = cp1252Text(customer_->text());
        form_.InstrumentFilter = cp1252Text(instrument_->text());
        form_.FromFilter = cp1252Text(from_->text().trimmed());
        form_.ToFilter = cp1252Text(to_->text().trimmed());
        form_.FuelFilter = fuel_->currentIndex() > 0 ? cp1252Text(fuel_->currentText()) : "";
        form_.FilterChanged();
    });

    QObject::connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, table_,
                     [this](const QModelIndex& current) {
                         if (current.isValid())
                             form_.ChooseRow(current.row());
                     });

    auto* splitter = new QSplitter(Qt::Vertical, window);
    splitter->addWidget(table_);
    splitter->addWidget(buildChart(splitter));
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(window);
    layout->addLayout(filters);
    layout->addLayout(countLine);
    layout->addWidget(message_);
    layout->addWidget(splitter, 1);
    form.ChartWriter = [this](const std::string& path) { return writeChart(path); };

    refresh();
}

ArchiveView::~ArchiveView() {
    form_.ChartWriter = nullptr;
}

QWidget* ArchiveView::buildChart(QWidget* parent) {
    auto* panel = new QWidget(parent);
    chartFields_ = new QListWidget(panel);
    chartFields_->setObjectName(QStringLiteral("ChartFields"));
    chartFields_->setMaximumWidth(150);
    for (int field = TFormArchive::FirstChartField; field <= TFormArchive::LastChartField;
         ++field) {
        auto* item = new QListWidgetItem(
            qtText(std::string(FieldHeadings[static_cast<std::size_t>(field)])), chartFields_);
        item->setData(Qt::UserRole, field);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    QObject::connect(chartFields_, &QListWidget::itemChanged, chartFields_,
                     [this](QListWidgetItem* item) {
                         form_.ChooseChartField(item->data(Qt::UserRole).toInt(),
                                                item->checkState() == Qt::Checked);
                     });
    saveChart_ = new QPushButton(QStringLiteral("Save chart..."), panel);
    saveChart_->setObjectName(QStringLiteral("BtSaveChart"));
    QObject::connect(saveChart_, &QPushButton::clicked, saveChart_,
                     [this] { form_.SaveChartClick(); });

    chartView_ = new QChartView(new QChart, panel);
    chartView_->setObjectName(QStringLiteral("Chart"));
    chartView_->setRenderHint(QPainter::Antialiasing);
    chartView_->setMinimumHeight(200);

    auto* side = new QVBoxLayout;
    side->addWidget(chartFields_, 1);
    side->addWidget(saveChart_);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(side);
    layout->addWidget(chartView_, 1);
    return panel;
}

// One line with its points per field, the tests as marks of their own; fields of the same unit
// share a value axis.
void ArchiveView::rebuildChart() {
    QChart* chart = chartView_->chart();
    chart->removeAllSeries();
    // The chart hands a removed axis back to its caller; the series it deletes itself.
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(form_.ChartCustomer.empty()
                        ? QString()
                        : QStringLiteral("Customer %1").arg(qtText(form_.ChartCustomer)));
    if (form_.Chart.empty())
        return;

    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("dd.MM.yyyy"));
    time->setTitleText(QStringLiteral("Date"));
    chart->addAxis(time, Qt::AlignBottom);
    std::map<std::string, QValueAxis*> valueAxes;
    for (const ChartSeries& line : form_.Chart) {
        QXYSeries* series = nullptr;
        if (line.Tests) {
            auto* marks = new QScatterSeries;
            marks->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
            marks->setMarkerSize(8);
            series = marks;
            series->setName(qtText(line.Name) + QStringLiteral(" (tests)"));
        } else {
            series = new QLineSeries;
            series->setPointsVisible(true);
            series->setName(qtText(line.Name));
        }
        for (const auto& [when, value] : line.Points)
            series->append(static_cast<qreal>(measuredAt(when).toMSecsSinceEpoch()), value);
        const QString unit = qtText(line.Unit);
        const QString name = series->name();
        QObject::connect(
            series, &QXYSeries::hovered, series, [name, unit](const QPointF& point, bool state) {
                if (!state) {
                    QToolTip::hideText();
                    return;
                }
                const QDateTime when =
                    QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(point.x()), Qt::UTC);
                QToolTip::showText(QCursor::pos(),
                                   QStringLiteral("%1: %2 %3\n%4")
                                       .arg(name)
                                       .arg(point.y())
                                       .arg(unit)
                                       .arg(when.toString(QStringLiteral("dd.MM.yyyy hh:mm"))));
            });
        chart->addSeries(series);
        series->attachAxis(time);
        QValueAxis*& axis = valueAxes[line.Unit];
        if (!axis) {
            axis = new QValueAxis;
            axis->setTitleText(unit.isEmpty() ? qtText(line.Name) : unit);
            chart->addAxis(axis, valueAxes.size() % 2 ? Qt::AlignLeft : Qt::AlignRight);
        }
        series->attachAxis(axis);
        if (line.Tests) {
            // The marks take the colour of their field's line.
            for (QAbstractSeries* other : chart->series())
                if (auto* measured = qobject_cast<QLineSeries*>(other);
                    measured && measured->name() == qtText(line.Name))
                    series->setColor(measured->color());
        }
    }
    // A single point or equal values still get a readable range.
    for (auto& [unit, axis] : valueAxes) {
        (void)unit;
        if (axis->min() == axis->max())
            axis->setRange(axis->min() - 1, axis->max() + 1);
    }
    if (time->min() == time->max())
        time->setRange(time->min().addDays(-1), time->max().addDays(1));
}

std::string ArchiveView::writeChart(const std::string& path) {
    // The picture is made in memory and then replaces the file as a whole, so a full disk or a
    // closed folder is told and an older chart of that name stays as it was.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool drawn = false;
    if (QString::fromLocal8Bit(path.c_str())
            .endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(chartView_->size());
        svg.setViewBox(chartView_->rect());
        svg.setTitle(chartView_->chart()->title());
        QPainter painter;
        drawn = painter.begin(&svg);
        if (drawn) {
            chartView_->render(&painter);
            painter.end();
        }
    } else {
        drawn = chartView_->grab().save(&buffer, "PNG");
    }
    const std::string failed = "The chart could not be written to " + path;
    if (!drawn)
        return failed + ".";
    try {
        replaceFileContent(path, {bytes.constData(), static_cast<std::size_t>(bytes.size())});
    } catch (const std::system_error& e) {
        return failed + ": " + e.what() + ".";
    }
    return {};
}

QWidget* ArchiveView::widget() {
    return window_.get();
}

void ArchiveView::filterEdited() {
    debounce_->start();
}

void ArchiveView::placeWindow() {
    if (form_.WindowWidth > 0 && form_.WindowHeight > 0)
        window_->setGeometry(form_.WindowLeft, form_.WindowTop, form_.WindowWidth,
                             form_.WindowHeight);
    if (form_.WindowMaximized)
        window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
}

void ArchiveView::refresh() {
    window_->setWindowTitle(qtText(form_.Caption));
    if (!form_.Visible)
        placed_ = false;
    else if (!placed_) {
        placeWindow();
        placed_ = true;
    }

    {
        const QSignalBlocker blocker(fuel_);
        const QString chosen = fuel_->currentIndex() > 0 ? fuel_->currentText() : QString();
        fuel_->clear();
        fuel_->addItem(QStringLiteral("All fuels"));
        for (const std::string& name : form_.Fuels)
            fuel_->addItem(qtText(name));
        const int index = chosen.isEmpty() ? 0 : fuel_->findText(chosen);
        fuel_->setCurrentIndex(index < 0 ? 0 : index);
    }
    count_->setText(qtText(form_.CountText));
    message_->setText(qtText(form_.Message));
    message_->setVisible(!form_.Message.empty());
    export_->setEnabled(form_.ExportAllowed());
    for (QWidget* serverPart : {static_cast<QWidget*>(source_), static_cast<QWidget*>(sync_),
                                static_cast<QWidget*>(syncStatus_)})
        serverPart->setVisible(form_.HasServer);
    sync_->setEnabled(form_.SyncAllowed());
    syncStatus_->setText(qtText(form_.SyncStatus));
    {
        const QSignalBlocker blocker(source_);
        source_->setCurrentIndex(form_.ShowServer ? 1 : 0);
    }
    if (tableVersion_ != form_.TableVersion) {
        tableVersion_ = form_.TableVersion;
        rowsVersion_ = form_.RowsVersion;
        model_->reset();
    } else if (rowsVersion_ != form_.RowsVersion) {
        rowsVersion_ = form_.RowsVersion;
        model_->relayout();
    } else if (pagesVersion_ != form_.PagesVersion) {
        model_->cellsChanged();
    }
    pagesVersion_ = form_.PagesVersion;
    if (chartVersion_ != form_.ChartVersion) {
        chartVersion_ = form_.ChartVersion;
        const QSignalBlocker blocker(chartFields_);
        for (int i = 0; i < chartFields_->count(); ++i) {
            QListWidgetItem* item = chartFields_->item(i);
            const int field = item->data(Qt::UserRole).toInt();
            const bool shown = std::find(form_.ChartFields.begin(), form_.ChartFields.end(),
                                         field) != form_.ChartFields.end();
            item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
        }
        rebuildChart();
    }
}

} // namespace ovena
