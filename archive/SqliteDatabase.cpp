#include "archive/SqliteDatabase.h"

#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovena::archive {

namespace fs = std::filesystem;

namespace {

// Statements are written with $1, $2, ...; SQLite reads ?1, ?2, ... as the same numbered
// parameters. No statement of the archive has a "$" inside a literal.
std::string numberedPlaceholders(std::string_view sql) {
    std::string text(sql);
    for (char& c : text)
        if (c == '$')
            c = '?';
    return text;
}

class StatementRow : public SqlRow {
public:
    explicit StatementRow(sqlite3_stmt* statement) : statement_(statement) {}
    bool isNull(int column) const override {
        return sqlite3_column_type(statement_, column) == SQLITE_NULL;
    }
    std::int64_t integer(int column) const override {
        return sqlite3_column_int64(statement_, column);
    }
    double real(int column) const override { return sqlite3_column_double(statement_, column); }
    std::string_view bytes(int column) const override {
        const void* data = sqlite3_column_type(statement_, column) == SQLITE_TEXT
                               ? static_cast<const void*>(sqlite3_column_text(statement_, column))
                               : sqlite3_column_blob(statement_, column);
        const int size = sqlite3_column_bytes(statement_, column);
        return data ? std::string_view(static_cast<const char*>(data),
                                       static_cast<std::size_t>(size))
                    : std::string_view();
    }

private:
    sqlite3_stmt* statement_;
};

// Resets a statement when its run ends, however it ends, so no read stays open and blocks the
// write-ahead log's checkpoints.
class ResetAfterRun {
public:
    explicit ResetAfterRun(sqlite3_stmt* statement) : statement_(statement) {}
    ~ResetAfterRun() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    ResetAfterRun(const ResetAfterRun&) = delete;
    ResetAfterRun& operator=(const ResetAfterRun&) = delete;

private:
    sqlite3_stmt* statement_;
};

// A new archive holds customers' data: only its owner may read it. SQLite gives its log files
// the permissions of the database file.
void createPrivateFile(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ignored;
    if (!folder.empty())
        fs::create_directories(folder, ignored);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

std::int64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
}

} // namespace

SqliteDatabase::SqliteDatabase(const std::string& path, Mode mode) : path_(path) {
    if (mode == Mode::Existing && !fs::exists(path))
        throw ArchiveError(path + ": no archive there");
    if (mode == Mode::Create)
        createPrivateFile(path);
    const int code = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (code != SQLITE_OK) {
        const std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close(db_);
        throw ArchiveError(path + ": " + reason);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, BusyTimeoutMs);
    try {
        execute("PRAGMA foreign_keys = ON");
        queryWith("PRAGMA journal_mode = WAL", {}, [](const SqlRow&) {});
        execute("PRAGMA synchronous = FULL");
    } catch (...) {
        for (auto& [sql, statement] : statements_)
            sqlite3_finalize(statement);
        sqlite3_close(db_);
        throw;
    }
}

SqliteDatabase::~SqliteDatabase() {
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    sqlite3_close(db_);
}

void SqliteDatabase::fail(int code) const {
    const char* message = sqlite3_errcode(db_) == code ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    throw ArchiveError(path_ + ": " + message);
}

sqlite3_stmt* SqliteDatabase::prepared(std::string_view sql) {
    std::string key(sql);
    if (auto found = statements_.find(key); found != statements_.end())
        return found->second;
    const std::string text = numberedPlaceholders(sql);
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v3(db_, text.c_str(), static_cast<int>(text.size()),
                                        SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (code != SQLITE_OK)
        fail(code);
    statements_.emplace(std::move(key), statement);
    return statement;
}

void SqliteDatabase::run(sqlite3_stmt* statement, Params params, const RowHandler* onRow) {
    ResetAfterRun reset(statement);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        int code = SQLITE_OK;
        if (std::holds_alternative<std::nullptr_t>(params[i])) {
            code = sqlite3_bind_null(statement, index);
        } else if (const auto* number = std::get_if<std::int64_t>(&params[i])) {
            code = sqlite3_bind_int64(statement, index, *number);
        } else if (const auto* real = std::get_if<double>(&params[i])) {
            code = sqlite3_bind_double(statement, index, *real);
        } else if (const auto* text = std::get_if<Text>(&params[i])) {
            // An empty view may have no data pointer; SQLite would read that as NULL.
            code =
                sqlite3_bind_text64(statement, index, text->value.empty() ? "" : text->value.data(),
                                    text->value.size(), SQLITE_STATIC, SQLITE_UTF8);
        } else {
            const std::string_view bytes = std::get<Bytes>(params[i]).value;
            code = bytes.empty() ? sqlite3_bind_zeroblob(statement, index, 0)
                                 : sqlite3_bind_blob64(statement, index, bytes.data(), bytes.size(),
                                                       SQLITE_STATIC);
        }
        if (code != SQLITE_OK)
            fail(code);
    }
    const StatementRow row(statement);
    for (;;) {
        const int code = sqlite3_step(statement);
        if (code == SQLITE_DONE)
            return;
        if (code != SQLITE_ROW)
            fail(code);
        if (onRow)
            (*onRow)(row);
    }
}

void SqliteDatabase::executeWith(std::string_view sql, Params params) {
    run(prepared(sql), params, nullptr);
}

void SqliteDatabase::queryWith(std::string_view sql, Params params, const RowHandler& onRow) {
    run(prepared(sql), params, &onRow);
}

void SqliteDatabase::begin() {
    execute("BEGIN IMMEDIATE");
}

void SqliteDatabase::commit() {
    execute("COMMIT");
}

void SqliteDatabase::rollback() noexcept {
    // After some failures (a full disk) SQLite has already rolled the transaction back.
    if (!sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::int64_t SqliteDatabase::sizeOnDisk() const {
    return fileSize(path_) + fileSize(path_ + "-wal");
}

} // namespace ovena::archive
