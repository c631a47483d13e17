#include "app/FormArchive.h"

#include "app/ArchiveAccess.h"

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
    // Waits for the company server as long as the session's sync does.
    ServerWaits = session.Sync().Waits;
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
    serverListener_ = session_.OnServerChanged.Add([this] {
        if (Visible)
            SyncChanged();
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
    session_.OnServerChanged.Remove(serverListener_);
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
    // A wait for the server ends with the window; opening it again asks anew.
    if (access_ && access_->deferred())
        access_.reset();
    savePlace();
    Visible = false;
    ui_.hideForm(*this);
}

void TFormArchive::ensureOpen() {
    if (access_)
        return;
    ++generation_;
    dropPages();
    if (ShowServer)
        access_ = serverAccess(ui_, archive::readArchiveSettings(store_).server, ServerWaits);
    else
        access_ = fileAccess(open_);
    Fuels.clear();
}

void TFormArchive::query(std::function<Update(archive::Archive&)> ask) {
    if (!access_)
        return;
    const int generation = generation_;
    access_->run(
        [this, generation, ask = std::move(ask)](archive::Archive& archive) {
            return [this, generation, update = ask(archive)] {
                if (generation == generation_)
                    update(*this);
            };
        },
        [this, generation](const std::string& reason) {
            if (generation != generation_)
                return;
            CountText.clear();
            Message = utf8ToCp1252(reason);
            Waiting = false;
            changed();
        });
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
    if (!access_)
        return recount();
    ++generation_;
    previousPages_ = std::move(pages_);
    dropPages();
    // Where the rows read before are now: a row moves down by at most the rows added, so the
    // windows of rows that can hold them are read, one query for rows near each other.
    std::map<std::int64_t, RowKey> keys;
    for (const Page& p : previousPages_)
        for (std::size_t i = 0; i < p.keys.size(); ++i)
            keys.emplace(p.first + static_cast<std::int64_t>(i), p.keys[i]);
    query([filter = Filter(), order = order_, keys = std::move(keys),
           before = count_](archive::Archive& archive) {
        const archive::MeasurementCount count = archive.countMeasurements(filter);
        const std::vector<std::string> fuels = archive.fuels();
        const std::int64_t added = count.measurements - before.measurements;
        std::map<std::int64_t, std::int64_t> moved;
        std::map<RowKey, std::int64_t> found;
        for (auto it = keys.begin(); added >= 0 && it != keys.end();) {
            const std::int64_t first = it->first;
            std::int64_t last = first;
            while (it != keys.end() && it->first <= last + PageRows)
                last = (it++)->first;
            const std::vector<archive::ArchivedMeasurement> rows =
                archive.listMeasurements(filter, order, first, last - first + added + 1);
            for (std::size_t i = 0; i < rows.size(); ++i)
                found.emplace(RowKey{rows[i].record, rows[i].row.position},
                              first + static_cast<std::int64_t>(i));
        }
        for (const auto& [row, key] : keys)
            if (const auto now = found.find(key); now != found.end())
                moved.emplace(row, now->second);
        return [count, fuels, before, moved = std::move(moved)](TFormArchive& form) {
            form.Fuels = fuels;
            form.showCount(count);
            form.moved_ = moved;
            // The test label column coming or going makes a new table.
            if (count.tests != before.tests || count.measurements < before.measurements) {
                form.makeColumns();
                ++form.TableVersion;
            } else {
                ++form.RowsVersion;
            }
            form.changed();
            if (form.ChartCustomer.empty() && count.measurements > 0)
                form.ChooseRow(0);
        };
    });
}

std::vector<std::int64_t> TFormArchive::RowsAfterChange(const std::vector<std::int64_t>& before) {
    std::vector<std::int64_t> after;
    after.reserve(before.size());
    for (const std::int64_t row : before) {
        const auto found = moved_.find(row);
        after.push_back(found == moved_.end() ? -1 : found->second);
    }
    return after;
}

void TFormArchive::SettingsChanged() {
    dropPages();
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
    dropPages();
    ++TableVersion;
    changed();
}

void TFormArchive::recount() {
    ++generation_;
    dropPages();
    count_ = {};
    if (access_) {
        Waiting = access_->deferred();
        if (Waiting)
            CountText = "Asking the company server...";
        // The fuels come with the first count of a newly opened archive.
        query([filter = Filter(), withFuels = Fuels.empty()](archive::Archive& archive) {
            return [count = archive.countMeasurements(filter),
                    fuels = withFuels ? std::optional(archive.fuels())
                                      : std::nullopt](TFormArchive& form) {
                if (fuels)
                    form.Fuels = *fuels;
                form.showCount(count);
                form.makeColumns();
                ++form.TableVersion;
                form.changed();
                // The chart shows the first customer found until a row is chosen.
                if (form.ChartCustomer.empty() && count.measurements > 0)
                    form.ChooseRow(0);
            };
        });
    }
    makeColumns();
    ++TableVersion;
    changed();
}

void TFormArchive::showCount(const archive::MeasurementCount& count) {
    count_ = count;
    Waiting = false;
    CountText = counted(count.measurements, "measurement", "measurements") + " of " +
                counted(count.customers, "customer", "customers");
    Message.clear();
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
    const Page* p = row >= 0 && row < count_.measurements ? page(row) : nullptr;
    const auto index = p ? static_cast<std::size_t>(row - p->first) : 0;
    return p && index < p->rows.size() ? p->rows[index] : none;
}

std::int64_t TFormArchive::RecordOfRow(std::int64_t row) {
    const Page* p = row >= 0 && row < count_.measurements ? page(row) : nullptr;
    const auto index = p ? static_cast<std::size_t>(row - p->first) : 0;
    return p && index < p->records.size() ? p->records[index] : 0;
}

const TFormArchive::Page* TFormArchive::page(std::int64_t row) {
    const std::int64_t first = row - row % PageRows;
    const auto found = std::find_if(pages_.begin(), pages_.end(),
                                    [first](const Page& p) { return p.first == first; });
    if (found != pages_.end()) {
        pages_.splice(pages_.begin(), pages_, found);
        return &pages_.front();
    }
    if (requested_.insert(first).second)
        requestPage(first);
    // Answered at once by the workstation's file; a server's page comes later.
    return !pages_.empty() && pages_.front().first == first ? &pages_.front() : nullptr;
}

void TFormArchive::dropPages() {
    ++pagesGeneration_;
    pages_.clear();
    requested_.clear();
}

// Each row's cells are those of its row in the table its record makes on its own: the row of the
// record's visit (instrument::Visit) that the archive keeps as the measurement, rendered by the
// table builder, so the window shows exactly what an export of the record holds.
void TFormArchive::requestPage(std::int64_t first) {
    query([filter = Filter(), order = order_, first,
           generation = pagesGeneration_](archive::Archive& archive) {
        std::vector<archive::ArchivedMeasurement> measurements =
            archive.listMeasurements(filter, order, first, PageRows);
        archive::RecordFilter records;
        records.ids.emplace();
        for (const archive::ArchivedMeasurement& m : measurements)
            records.ids->push_back(m.record);
        std::vector<archive::ArchivedRecord> found;
        archive.forEachRecord(
            records, {}, [&](const archive::ArchivedRecord& record) { found.push_back(record); });
        return [first, generation, measurements = std::move(measurements),
                found = std::move(found)](TFormArchive& form) {
            if (generation == form.pagesGeneration_)
                form.addPage(first, measurements, found);
        };
    });
}

void TFormArchive::addPage(std::int64_t first,
                           const std::vector<archive::ArchivedMeasurement>& measurements,
                           const std::vector<archive::ArchivedRecord>& records) {
    TableRecordList tableRecords;
    for (const archive::ArchivedRecord& record : records)
        tableRecords.add(record.lines, record.summary.instrumentSerial, record.fuelNames);
    const std::vector<TableRecord> read = tableRecords.records();
    std::map<std::int64_t, std::pair<const TableRecord*, instrument::Visit>> visits;
    for (std::size_t i = 0; i < read.size(); ++i)
        visits.try_emplace(records[i].summary.id, &read[i], instrument::readVisit(read[i].lines));
    const TableFormat format(settings_);
    Page result;
    result.first = first;
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
        result.keys.emplace_back(m.record, m.row.position);
        result.rows.push_back(std::move(cells));
    }
    requested_.erase(first);
    pages_.push_front(std::move(result));
    if (pages_.size() > PagesKept)
        pages_.pop_back();
    if (access_->deferred()) {
        ++PagesVersion;
        changed();
    }
}

void TFormArchive::ExportRows(const std::vector<std::int64_t>& rows) {
    if (!ExportAllowed())
        return;
    archive::RecordFilter filter = Filter();
    if (!rows.empty()) {
        filter.ids.emplace();
        for (const std::int64_t row : rows) {
            const std::int64_t record = RecordOfRow(row);
            if (!record) {
                CountText = "The rows chosen are still being read; export them once they show.";
                changed();
                return;
            }
            filter.ids->push_back(record);
        }
        std::sort(filter.ids->begin(), filter.ids->end());
        filter.ids->erase(std::unique(filter.ids->begin(), filter.ids->end()), filter.ids->end());
    }
    query([filter](archive::Archive& archive) {
        std::vector<archive::ArchivedRecord> found;
        archive.forEachRecord(
            filter, {archive::RecordColumn::FirstRead, false},
            [&](const archive::ArchivedRecord& record) { found.push_back(record); });
        return [found = std::move(found)](TFormArchive& form) {
            TableRecordList table;
            for (const archive::ArchivedRecord& record : found)
                table.add(record.lines, record.summary.instrumentSerial, record.fuelNames);
            if (table.empty() || !form.ExportAllowed())
                return;
            try {
                form.session_.ExportRecords(table.records());
            } catch (const std::exception& e) {
                form.ui_.messageBox(form.Caption, e.what(), MessageIcon::Error,
                                    {{ModalResult::Ok, "OK"}});
            }
        };
    });
}

void TFormArchive::SyncClick() {
    if (!SyncAllowed())
        return;
    session_.SyncWithServer();
}

void TFormArchive::SyncChanged() {
    const ServerSync& sync = session_.Sync();
    SyncStatus =
        sync.Running() ? sync.Status : archive::utcTimestamp().substr(0, 16) + "Z  " + sync.Status;
    if (ShowServer && !sync.Running())
        ArchiveChanged();
    else
        changed();
}

void TFormArchive::ShowServerArchive(bool server) {
    if (server == ShowServer || (server && !HasServer))
        return;
    ShowServer = server;
    access_.reset();
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
    if (!record)
        return;
    archive::RecordFilter filter;
    filter.ids.emplace(1, record);
    query([filter](archive::Archive& archive) {
        const std::vector<archive::RecordSummary> found = archive.listRecords(filter, {});
        return [customer =
                    found.empty() ? std::string() : found.front().customer](TFormArchive& form) {
            if (customer == form.ChartCustomer && form.ChartVersion > 0)
                return;
            form.ChartCustomer = customer;
            form.makeChart();
        };
    });
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
    if (!access_ || ChartCustomer.empty()) {
        showChart({});
        return;
    }
    archive::RecordFilter filter;
    filter.customer = ChartCustomer;
    query([filter](archive::Archive& archive) {
        const std::int64_t rows = archive.countMeasurements(filter).measurements;
        return [measurements = archive.listMeasurements(
                    filter, {}, std::max<std::int64_t>(0, rows - ChartRows), ChartRows)](
                   TFormArchive& form) { form.showChart(measurements); };
    });
}

void TFormArchive::showChart(const std::vector<archive::ArchivedMeasurement>& measurements) {
    Chart.clear();
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
                const bool test = m.row.lineType >= FirstTestLine && m.row.lineType <= LastTestLine;
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
