#include "ArchiveView.h"

#include "app/qt/FormWindow.h"
#include "app/qt/QtText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace ovena {

namespace {

// Typing pauses this long before the filter runs, so a number typed quickly is one query.
constexpr int FilterDelayMs = 250;

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

    auto* layout = new QVBoxLayout(window);
    layout->addLayout(filters);
    layout->addWidget(count_);
    layout->addWidget(table_, 1);

    refresh();
}

ArchiveView::~ArchiveView() = default;

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
    if (tableVersion_ != form_.TableVersion) {
        tableVersion_ = form_.TableVersion;
        model_->reset();
    }
}

} // namespace ovena
