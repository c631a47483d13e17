#pragma once

#include "archive/Archive.h"
#include "archive/PostgresDatabase.h"
#include "platform/Form.h"
#include "session/Session.h"
#include "table/OutputSettings.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ovena {

class ArchiveAccess;
class SettingsStore;
class UiServices;

// A column of the archive window's table: its heading and what sorting by it sorts.
struct ArchiveColumn {
    std::string Heading; // Windows-1252
    archive::MeasurementOrder Order;
    // Sorting ascending sorts the store's values descending (the efficiency falls as the loss
    // it is computed from rises).
    bool Reversed = false;
};

// One line of the chart: the values of one field over time, of the measurements or of the test
// measurements.
struct ChartSeries {
    int Field = 0;
    std::string Name; // the field's heading (Windows-1252)
    std::string Unit; // its unit ("Vol%"); empty where it has none
    bool Tests = false;
    // The measurement's time (ISO 8601) and the field's value, oldest first.
    std::vector<std::pair<std::string, double>> Points;
};

// The archive window: the measurements of every readout kept, found by customer, instrument,
// date and fuel, shown as the table an export of them would hold (the columns and formats of the
// configuration page). The table is a window onto the store: rows are counted, sorted and read
// there, page by page as they are shown, so any number of records stays quick. The workstation's
// file answers at once; the company server's answers come on a thread of their own while the
// window stays usable (`Waiting`), and a filter typed meanwhile asks anew. The window follows
// the instrument session: its settings, its export, its sync, and its events (busy, archive
// changed, settings changed, server sync changed).
class TFormArchive : public Form {
public:
    using Opener = std::function<archive::Archive()>;

    // The table takes the session's settings; its export is the session's. `open` opens the
    // archive shown (by default the session's archive).
    TFormArchive(UiServices& ui, SettingsStore& store, Session& session, Opener open = {});
    ~TFormArchive() override;
    TFormArchive(const TFormArchive&) = delete;
    TFormArchive& operator=(const TFormArchive&) = delete;

    // The filters as typed (Windows-1252): customer number and instrument serial match what
    // begins with them; dates "YYYY-MM-DD" or "YYYY-MM-DDThh:mm"; an empty text takes all.
    std::string CustomerFilter;
    std::string InstrumentFilter;
    std::string FromFilter;
    std::string ToFilter;
    std::string FuelFilter;
    // The fuel names in the archive, for the fuel filter's choices.
    std::vector<std::string> Fuels;

    // "N measurements of M customers" or what is awaited ("Asking the company server..."); empty
    // when the archive cannot be read.
    std::string CountText;
    // The count is awaited from the company server.
    bool Waiting = false;
    // Why the archive, the filter or the chart failed (one line, Windows-1252); empty when
    // nothing did.
    std::string Message;
    // How long the company server may take (by default the session's sync's).
    archive::ServerWaits ServerWaits;

    // Where the window stands; a zero width leaves the place to the window system.
    int WindowLeft = 0;
    int WindowTop = 0;
    int WindowWidth = 0;
    int WindowHeight = 0;
    bool WindowMaximized = false;

    // Opens the archive, restores the window's place and shows the measurements; the window
    // shows again when it is open already.
    void Open();
    // Keeps the window's place in the settings store and hides the window; a wait for the
    // company server ends with it.
    void Close();

    // A filter text changed: the rows and the count follow.
    void FilterChanged();
    // Records may have been added to the archive (a procedure ended): the fuels, rows and count
    // follow, and RowsVersion counts the change; the rows shown before keep their place in
    // the order, new ones come between them.
    void ArchiveChanged();
    // The configuration page changed the fields or formats: the table follows.
    void SettingsChanged();
    // Sorts by the column (from 0); the order of the rows shown so far starts anew.
    void SortBy(int column, bool descending);

    // The chart: the measurements of the customer of the row chosen last, one line per field
    // chosen (FirstChartField to LastChartField), tests apart.
    static constexpr int FirstChartField = 4;
    static constexpr int LastChartField = FieldCount - 1;
    std::vector<int> ChartFields;
    std::string ChartCustomer;
    std::vector<ChartSeries> Chart;
    // Counts the changes of the chart.
    int ChartVersion = 0;
    // Chooses the row whose customer the chart shows.
    void ChooseRow(std::int64_t row);
    // Shows or hides a field's line in the chart.
    void ChooseChartField(int field, bool shown);
    // Writes the chart as the view draws it to a file (PNG or SVG by the name's ending);
    // answers why not, empty when written. Set by the view.
    std::function<std::string(const std::string& path)> ChartWriter;
    // "Save chart...": asks for the file and writes the chart.
    void SaveChartClick();

    // Counts the changes of the rows or columns (filter, sort, settings), so a view knows when
    // to read them anew.
    int TableVersion = 0;
    // Counts the rows that arrived from the company server after the view asked for them.
    int PagesVersion = 0;
    // Counts the changes of the archive under the same filter, order and columns (see
    // RowsAfterChange).
    int RowsVersion = 0;
    // Where rows shown before the last ArchiveChanged are now; -1 for one not found.
    std::vector<std::int64_t> RowsAfterChange(const std::vector<std::int64_t>& before);
    const std::vector<ArchiveColumn>& Columns() const { return columns_; }
    std::int64_t RowCount() const { return count_.measurements; }
    // The cells of a row (from 0), one per column; empty outside the rows and while the row is
    // awaited from the server (PagesVersion counts up when it arrives).
    const std::vector<std::string>& Row(std::int64_t row);
    // The archive's id of the record a row comes from; 0 outside the rows or while awaited.
    std::int64_t RecordOfRow(std::int64_t row);

    // Exports the records of these rows, or of every row shown when none is given, through the
    // session's export and its choice of format, in the order they were read, so the
    // records of one readout give the table that readout gave. Waits (does nothing) while an
    // instrument procedure runs.
    void ExportRows(const std::vector<std::int64_t>& rows);
    // Whether "Export..." can run now.
    bool ExportAllowed() const { return !session_.Busy() && access_ && RowCount() > 0; }

    // The company's server, when the settings name one: "Sync now" sends it what this
    // workstation's archive holds and it lacks (waiting, greyed, while an instrument procedure
    // runs); the window shows the server's archive, every workstation's, instead of this one's
    // when ShowServer is set.
    bool HasServer = false;
    bool ShowServer = false;
    // The last synchronisation: when and how it went (one line, Windows-1252).
    std::string SyncStatus;
    bool SyncAllowed() const { return HasServer && !session_.Busy() && !session_.Sync().Running(); }
    void SyncClick();
    // The sync's status changed; once it ended, a server archive shown follows.
    void SyncChanged();
    void ShowServerArchive(bool server);

    // The filter the texts make (without the fuel when it is empty).
    archive::RecordFilter Filter() const;

private:
    // A measurement: its record and its row there.
    using RowKey = std::pair<std::int64_t, std::int64_t>;
    struct Page {
        std::int64_t first = 0;
        std::vector<std::int64_t> records;
        std::vector<RowKey> keys;
        std::vector<std::vector<std::string>> rows;
    };

    // What a query found, applied on the window's thread.
    using Update = std::function<void(TFormArchive&)>;

    void ensureOpen();
    // Runs a query on the archive shown; its update is dropped when the filter, the source or
    // the archive changed meanwhile, a failure shows in the count line.
    void query(std::function<Update(archive::Archive&)> ask);
    void readSyncStatus();
    void recount();
    void showCount(const archive::MeasurementCount& count);
    void makeColumns();
    // The page of the row when it is read; asks for it when not.
    const Page* page(std::int64_t row);
    void dropPages();
    void requestPage(std::int64_t first);
    void addPage(std::int64_t first, const std::vector<archive::ArchivedMeasurement>& measurements,
                 const std::vector<archive::ArchivedRecord>& records);
    void makeChart();
    void showChart(const std::vector<archive::ArchivedMeasurement>& measurements);
    void loadPlace();
    void savePlace();

    UiServices& ui_;
    SettingsStore& store_;
    Session& session_;
    const OutputSettings& settings_;
    Opener open_;
    archive::MeasurementCount count_;
    std::vector<ArchiveColumn> columns_;
    // Columns of the table builder's grid the columns show.
    std::vector<int> gridColumns_;
    archive::MeasurementOrder order_;
    // The pages read last, most recent first.
    std::list<Page> pages_;
    // Pages asked for and not come yet.
    std::set<std::int64_t> requested_;
    // Those read before the last ArchiveChanged, and where their rows are now.
    std::list<Page> previousPages_;
    std::map<std::int64_t, std::int64_t> moved_;
    // Count the changes that make answers on the way stale.
    int generation_ = 0;
    int pagesGeneration_ = 0;
    Listeners<bool>::Id busyListener_;
    Listeners<>::Id archiveListener_;
    Listeners<>::Id settingsListener_;
    Listeners<>::Id serverListener_;
    // Last: a wait for the server ends before the rest goes.
    std::unique_ptr<ArchiveAccess> access_;
};

} // namespace ovena
