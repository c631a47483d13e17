#include "app/FormArchive.h"

#include "archive/Workstation.h"
#include "instrument/Visit.h"
#include "platform/Cp1252.h"
#include "platform/SettingsStore.h"
#include "platform/UiServices.h"
#include "table/FieldCatalogue.h"
#include "table/TableBuilder.h"

#include <algorithm>
#include <map>

namespace ovena {

namespace {

using archive::MeasurementOrder;

constexpr std::string_view PlaceKey = "Software\\TEV\\Ovena\\ArchiveWindow";
// Rows read from the store at a time, and pages kept: a screenful or two of rows each, a few
// screens back and forth.
constexpr std::int64_t PageRows = 200;
constexpr std::size_t PagesKept = 8;
// The chart shows at most this many measurements of a customer, the most recent.
constexpr std::int64_t ChartRows = 5000;

MeasurementOrder fieldOrder(int field) {
    switch (field) {
    case FieldSerialNo:
        return {MeasurementOrder::Column::Instrument};
    case FieldCustomerNo:
        return {MeasurementOrder::Column::Customer};
    case FieldDateTime:
        return {MeasurementOrder::Column::MeasuredAt};
    case FieldFuel:
        return {MeasurementOrder::Column::Fuel};
    case FieldDraft:
        return {MeasurementOrder::Column::Draft};
    default:
        return {MeasurementOrder::Column::Value, FieldTokenMap[static_cast<std::size_t>(field)]};
    }
}

std::string counted(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::optional<std::string> given(const std::string& text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

} // namespace

TFormArchive::TFormArchive(UiServices& ui, SettingsStore& store, Session& session, Opener open)
    : ui_(ui), store_(store), session_(session), settings_(session.Settings()),
      open_(std::move(open)) {
    if (!open_)
        open_ = [this] { return session_.OpenArchive(); };
    // The export and the sync wait while the session is busy; a readout's records show here.
    busyListener_ = session_.OnBusy.Add([this](bool) {
        if (Visible)
            changed();
    });
    archiveListener_ = session_.OnArchiveChanged.Add([this] {
        if (Visible)
            ArchiveChanged();
    });
    settingsListener_ = session_.OnSettingsChanged.Add([this] {
        if (Visible)
            SettingsChanged();
    });
    Caption = "Archive";
    ClientWidth = 900;
    ClientHeight = 640;
    ChartFields = {7, 9, FieldEfficiency}; // O2, CO, efficiency
    makeColumns();
}

TFormArchive::~TFormArchive() {
    session_.OnBusy.Remove(busyListener_);
    session_.OnArchiveChanged.Remove(archiveListener_);
    session_.OnSettingsChanged.Remove(settingsListener_);
}

void TFormArchive::Open() {
    if (!Visible)
        loadPlace();
    HasServer = !archive::readArchiveSettings(store_).server.empty();
    if (!HasServer)
        ShowServer = false;
    ensureOpen();
    readSyncStatus();
    Visible = true;
    recount();
    ui_.showForm(*this);
}

void TFormArchive::Close() {
    savePlace();
    Visible = false;
    ui_.hideForm(*this);
}

void TFormArchive::ensureOpen() {
    if (archive_)
        return;
    try {
        if (ShowServer)
            archive_.emplace(
                archive::Archive::openServer(archive::readArchiveSettings(store_).server));
        else
            archive_.emplace(open_());
        Fuels = archive_->fuels();
    } catch (const archive::ArchiveError& e) {
        archive_.reset();
        Fuels.clear();
        Message = utf8ToCp1252(e.what());
    }
}

archive::RecordFilter TFormArchive::Filter() const {
    archive::RecordFilter filter;
    filter.customer = given(CustomerFilter);
    filter.instrument = given(InstrumentFilter);
    filter.from = given(FromFilter);
    filter.to = given(ToFilter);
    filter.fuel = given(FuelFilter);
    filter.beginnings = true;
    return filter;
}

void TFormArchive::FilterChanged() {
    recount();
}

void TFormArchive::ArchiveChanged() {
    if (archive_) {
        try {
            Fuels = archive_->fuels();
        } catch (const archive::ArchiveError&) {
            // The count below tells why the archive cannot be read.
        }
    }
    recount();
}

void TFormArchive::SettingsChanged() {
    pages_.clear();
    makeColumns();
    ++TableVersion;
    changed();
}

void TFormArchive::SortBy(int column, bool descending) {
    if (column < 0 || column >= static_cast<int>(columns_.size()))
        return;
    const ArchiveColumn& chosen = columns_[static_cast<std::size_t>(column)];
    order_ = chosen.Order;
    order_.descending = descending != chosen.Reversed;
    pages_.clear();
    ++TableVersion;
    changed();
}

void TFormArchive::recount() {
    pages_.clear();
    count_ = {};
    CountText.clear();
    if (archive_) {
        try {
            count_ = archive_->countMeasurements(Filter());
            CountText = counted(count_.measurements, "measurement", "measurements") + " of " +
                        counted(count_.customers, "customer", "customers");
            Message.clear();
        } catch (const archive::ArchiveError& e) {
            Message = utf8ToCp1252(e.what());
        }
    }
    makeColumns();
    ++TableVersion;
    changed();
    // The chart shows the first customer found until a row is chosen.
    if (ChartCustomer.empty() && count_.measurements > 0)
        ChooseRow(0);
}

void TFormArchive::makeColumns() {
    std::vector<std::string> headings = TableHeadings(settings_, count_.tests);
    columns_.clear();
    gridColumns_.clear();
    if (count_.tests) {
        columns_.push_back({std::move(headings[0]), {MeasurementOrder::Column::LineType}});
        gridColumns_.push_back(0);
    }
    std::size_t next = 1;
    for (int field = 0; field < FieldCount; ++field) {
        if (!settings_.Listboxfields.Checked[static_cast<std::size_t>(field)])
            continue;
        gridColumns_.push_back(static_cast<int>(next));
        columns_.push_back(
            {std::move(headings[next++]), fieldOrder(field), field == FieldEfficiency});
    }
}

const std::vector<std::string>& TFormArchive::Row(std::int64_t row) {
    static const std::vector<std::string> none;
    if (row < 0 || row >= count_.measurements)
        return none;
    const Page& p = page(row);
    const auto index = static_cast<std::size_t>(row - p.first);
    return index < p.rows.size() ? p.rows[index] : none;
}

std::int64_t TFormArchive::RecordOfRow(std::int64_t row) {
    if (row < 0 || row >= count_.measurements)
        return 0;
    const Page& p = page(row);
    const auto index = static_cast<std::size_t>(row - p.first);
    return index < p.records.size() ? p.records[index] : 0;
}

const TFormArchive::Page& TFormArchive::page(std::int64_t row) {
    const std::int64_t first = row - row % PageRows;
    const auto found = std::find_if(pages_.begin(), pages_.end(),
                                    [first](const Page& p) { return p.first == first; });
    if (found != pages_.end()) {
        pages_.splice(pages_.begin(), pages_, found);
    } else {
        pages_.push_front(readPage(first));
        if (pages_.size() > PagesKept)
            pages_.pop_back();
    }
    return pages_.front();
}

// Each row's cells are those of its row in the table its record makes on its own: the row of the
// record's visit (instrument::Visit) that the archive keeps as the measurement, rendered by the
// table builder, so the window shows exactly what an export of the record holds.
TFormArchive::Page TFormArchive::readPage(std::int64_t first) {
    Page result;
    result.first = first;
    if (!archive_)
        return result;
    try {
        const std::vector<archive::ArchivedMeasurement> measurements =
            archive_->listMeasurements(Filter(), order_, first, PageRows);
        archive::RecordFilter records;
        records.ids.emplace();
        for (const archive::ArchivedMeasurement& m : measurements)
            records.ids->push_back(m.record);
        TableRecordList tableRecords;
        std::vector<std::int64_t> ids;
        archive_->forEachRecord(records, {}, [&](const archive::ArchivedRecord& record) {
            tableRecords.add(record.lines, record.summary.instrumentSerial, record.fuelNames);
            ids.push_back(record.summary.id);
        });
        const std::vector<TableRecord> read = tableRecords.records();
        std::map<std::int64_t, std::pair<const TableRecord*, instrument::Visit>> visits;
        for (std::size_t i = 0; i < read.size(); ++i)
            visits.try_emplace(ids[i], &read[i], instrument::readVisit(read[i].lines));
        const TableFormat format(settings_);
        for (const archive::ArchivedMeasurement& m : measurements) {
            std::vector<std::string> rowCells;
            if (const auto found = visits.find(m.record); found != visits.end())
                rowCells = RowCells(*found->second.first, found->second.second,
                                    static_cast<std::size_t>(m.row.position), format);
            std::vector<std::string> cells;
            cells.reserve(gridColumns_.size());
            for (const int column : gridColumns_)
                cells.push_back(static_cast<std::size_t>(column) < rowCells.size()
                                    ? rowCells[static_cast<std::size_t>(column)]
                                    : std::string());
            result.records.push_back(m.record);
            result.rows.push_back(std::move(cells));
        }
    } catch (const archive::ArchiveError& e) {
        Message = utf8ToCp1252(e.what());
    }
    return result;
}

void TFormArchive::ExportRows(const std::vector<std::int64_t>& rows) {
    if (!ExportAllowed())
        return;
    archive::RecordFilter filter = Filter();
    if (!rows.empty()) {
        filter.ids.emplace();
        for (const std::int64_t row : rows)
            if (const std::int64_t record = RecordOfRow(row))
                filter.ids->push_back(record);
        std::sort(filter.ids->begin(), filter.ids->end());
        filter.ids->erase(std::unique(filter.ids->begin(), filter.ids->end()), filter.ids->end());
    }
    TableRecordList table;
    try {
        archive_->forEachRecord(filter, {archive::RecordColumn::FirstRead, false},
                                [&](const archive::ArchivedRecord& record) {
                                    table.add(record.lines, record.summary.instrumentSerial,
                                              record.fuelNames);
                                });
        if (!table.empty())
            session_.ExportRecords(table.records());
    } catch (const std::exception& e) {
        ui_.messageBox(Caption, e.what(), MessageIcon::Error, {{ModalResult::Ok, "OK"}});
    }
}

void TFormArchive::SyncClick() {
    if (!SyncAllowed())
        return;
    session_.SyncWithServer();
    SyncStatus = archive::utcTimestamp().substr(0, 16) + "Z  " + session_.ServerStatus;
    if (ShowServer)
        ArchiveChanged();
    else
        changed();
}

void TFormArchive::ShowServerArchive(bool server) {
    if (server == ShowServer || (server && !HasServer))
        return;
    ShowServer = server;
    archive_.reset();
    ChartCustomer.clear();
    ensureOpen();
    recount();
    if (ChartCustomer.empty())
        makeChart();
}

// The workstation's archive remembers its last synchronisation.
void TFormArchive::readSyncStatus() {
    if (!HasServer || !SyncStatus.empty())
        return;
    try {
        const archive::ArchiveStats stats = session_.OpenArchive().stats();
        SyncStatus = stats.lastSync.empty() ? "Not synchronised with the server yet."
                                            : "Last synchronised " + stats.lastSync + " with " +
                                                  utf8ToCp1252(stats.lastSyncServer) + ".";
    } catch (const archive::ArchiveError& e) {
        SyncStatus = e.what();
    }
}

void TFormArchive::ChooseRow(std::int64_t row) {
    const std::int64_t record = RecordOfRow(row);
    if (!record || !archive_)
        return;
    archive::RecordFilter filter;
    filter.ids.emplace(1, record);
    try {
        const std::vector<archive::RecordSummary> found = archive_->listRecords(filter, {});
        const std::string customer = found.empty() ? std::string() : found.front().customer;
        if (customer == ChartCustomer && ChartVersion > 0)
            return;
        ChartCustomer = customer;
    } catch (const archive::ArchiveError& e) {
        Message = utf8ToCp1252(e.what());
    }
    makeChart();
}

void TFormArchive::ChooseChartField(int field, bool shown) {
    if (field < FirstChartField || field > LastChartField)
        return;
    const auto found = std::find(ChartFields.begin(), ChartFields.end(), field);
    if (shown == (found != ChartFields.end()))
        return;
    if (shown)
        ChartFields.insert(std::upper_bound(ChartFields.begin(), ChartFields.end(), field), field);
    else
        ChartFields.erase(found);
    makeChart();
}

void TFormArchive::SaveChartClick() {
    if (!ChartWriter)
        return;
    SaveFileRequest request;
    request.title = "Save chart";
    request.filter = "PNG image (*.png)|*.png|SVG drawing (*.svg)|*.svg";
    request.defaultExtension = "png";
    request.initialFileName = "chart.png";
    const std::optional<std::string> path = ui_.saveFileDialog(request);
    if (!path)
        return;
    const std::string error = ChartWriter(*path);
    if (!error.empty())
        ui_.messageBox(Caption, error, MessageIcon::Error, {{ModalResult::Ok, "OK"}});
}

// The chart reads the customer's rows oldest first, with the same values the table shows: the
// efficiency from the loss, the draft a measurement takes from its draft line.
void TFormArchive::makeChart() {
    Chart.clear();
    if (archive_ && !ChartCustomer.empty()) {
        archive::RecordFilter filter;
        filter.customer = ChartCustomer;
        try {
            const std::int64_t rows = archive_->countMeasurements(filter).measurements;
            const std::vector<archive::ArchivedMeasurement> measurements =
                archive_->listMeasurements(filter, {}, std::max<std::int64_t>(0, rows - ChartRows),
                                           ChartRows);
            for (const bool tests : {false, true}) {
                for (const int field : ChartFields) {
                    ChartSeries series;
                    series.Field = field;
                    series.Name = FieldHeadings[static_cast<std::size_t>(field)];
                    series.Unit = FieldUnits[static_cast<std::size_t>(field)];
                    if (series.Unit.rfind("/ ", 0) == 0)
                        series.Unit.erase(0, 2);
                    series.Tests = tests;
                    for (const archive::ArchivedMeasurement& m : measurements) {
                        const bool test =
                            m.row.lineType >= FirstTestLine && m.row.lineType <= LastTestLine;
                        if (test != tests || !m.row.measuredAt)
                            continue;
                        std::optional<double> value;
                        if (field == FieldDraft)
                            value = m.row.draft;
                        else if (const auto& v = m.row.values[static_cast<std::size_t>(
                                     FieldTokenMap[static_cast<std::size_t>(field)])])
                            value = field == FieldEfficiency ? EfficiencyFromLoss(*v) : v;
                        if (value)
                            series.Points.emplace_back(*m.row.measuredAt, *value);
                    }
                    if (!tests || !series.Points.empty())
                        Chart.push_back(std::move(series));
                }
            }
        } catch (const archive::ArchiveError& e) {
            Message = utf8ToCp1252(e.what());
        }
    }
    ++ChartVersion;
    changed();
}

void TFormArchive::loadPlace() {
    const auto number = [&](std::string_view name, int& value) {
        if (const auto stored = store_.readInteger(PlaceKey, name))
            value = static_cast<int>(*stored);
    };
    number("Left", WindowLeft);
    number("Top", WindowTop);
    number("Width", WindowWidth);
    number("Height", WindowHeight);
    int maximized = WindowMaximized ? 1 : 0;
    number("Maximized", maximized);
    WindowMaximized = maximized != 0;
}

void TFormArchive::savePlace() {
    if (WindowWidth <= 0 || WindowHeight <= 0)
        return;
    store_.createKey(PlaceKey);
    store_.writeInteger(PlaceKey, "Left", static_cast<std::uint32_t>(WindowLeft));
    store_.writeInteger(PlaceKey, "Top", static_cast<std::uint32_t>(WindowTop));
    store_.writeInteger(PlaceKey, "Width", static_cast<std::uint32_t>(WindowWidth));
    store_.writeInteger(PlaceKey, "Height", static_cast<std::uint32_t>(WindowHeight));
    store_.writeInteger(PlaceKey, "Maximized", WindowMaximized ? 1 : 0);
}

} // namespace ovena
