#include "archive/PostgresDatabase.h"

#include <libpq-fe.h>
#include <poll.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace ovena::archive {

namespace {

// Type numbers of the integer columns the archive reads.
constexpr Oid Int2Type = 21;
constexpr Oid Int4Type = 23;
constexpr Oid Int8Type = 20;
constexpr Oid Float8Type = 701;

// TCP keepalives unless the connection string sets its own: an idle connection to a server
// that went away ends after about 25 s.
constexpr const char* KeepaliveKeywords[] = {"keepalives", "keepalives_idle", "keepalives_interval",
                                             "keepalives_count"};
constexpr const char* KeepaliveValues[] = {"1", "10", "5", "3"};

// "30 s", "0.5 s"
std::string secondsText(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0)
        text += "." + std::to_string(ms % 1000 / 100);
    return text + " s";
}

// libpq's messages span lines ("...failed: No such file or directory\n\tIs the server
// running...?\n"); a report is one line.
std::string oneLine(const char* message) {
    std::string line;
    for (const char* c = message ? message : ""; *c; ++c) {
        const bool blank = *c == '\n' || *c == '\t' || *c == '\r' || *c == ' ';
        if (blank) {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += *c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::chrono::milliseconds connectTimeout(pg_conn* conn, std::chrono::milliseconds timeout) {
    PQconninfoOption* options = PQconninfo(conn);
    for (PQconninfoOption* o = options; o && o->keyword; ++o)
        if (std::strcmp(o->keyword, "connect_timeout") == 0 && o->val && *o->val)
            timeout = std::chrono::seconds(std::max(2, std::atoi(o->val)));
    PQconninfoFree(options);
    return timeout;
}

class ResultRow : public SqlRow {
public:
    ResultRow(const PGresult* result, int row) : result_(result), row_(row) {}
    bool isNull(int column) const override { return PQgetisnull(result_, row_, column) != 0; }
    std::int64_t integer(int column) const override {
        const std::string_view raw = bytes(column);
        const Oid type = PQftype(result_, column);
        if (type != Int2Type && type != Int4Type && type != Int8Type)
            return std::atoll(std::string(raw).c_str());
        // Binary integers are big-endian and signed.
        std::uint64_t value = 0;
        for (unsigned char byte : raw)
            value = value << 8 | byte;
        const unsigned bits = static_cast<unsigned>(raw.size()) * 8;
        if (bits > 0 && bits < 64 && (value >> (bits - 1)) != 0)
            value |= ~std::uint64_t{0} << bits;
        return static_cast<std::int64_t>(value);
    }
    double real(int column) const override {
        const std::string_view raw = bytes(column);
        if (PQftype(result_, column) != Float8Type || raw.size() != sizeof(double)) {
            double value = 0;
            std::from_chars(raw.data(), raw.data() + raw.size(), value);
            return value;
        }
        // A binary double is the IEEE 754 pattern, big-endian.
        std::uint64_t bits = 0;
        for (unsigned char byte : raw)
            bits = bits << 8 | byte;
        return std::bit_cast<double>(bits);
    }
    std::string_view bytes(int column) const override {
        return {PQgetvalue(result_, row_, column),
                static_cast<std::size_t>(PQgetlength(result_, row_, column))};
    }

private:
    const PGresult* result_;
    int row_;
};

struct ClearResult {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ClearResult>;

} // namespace

PostgresDatabase::PostgresDatabase(const std::string& conninfo, ServerWaits waits) : waits_(waits) {
    // The connection string is expanded last, so what it sets wins.
    std::vector<const char*> keywords = {"application_name"};
    std::vector<const char*> values = {"ovena"};
    keywords.insert(keywords.end(), std::begin(KeepaliveKeywords), std::end(KeepaliveKeywords));
    values.insert(values.end(), std::begin(KeepaliveValues), std::end(KeepaliveValues));
    keywords.insert(keywords.end(), {"dbname", nullptr});
    values.insert(values.end(), {conninfo.c_str(), nullptr});
    conn_ = PQconnectStartParams(keywords.data(), values.data(), 1);
    if (!conn_)
        throw ArchiveError("cannot connect to the server: out of memory");
    try {
        if (PQstatus(conn_) == CONNECTION_BAD)
            failConnection("cannot connect to the server");
        const std::chrono::milliseconds limit = connectTimeout(conn_, waits_.connect);
        const Deadline deadline = std::chrono::steady_clock::now() + limit;
        for (auto status = PGRES_POLLING_WRITING; status != PGRES_POLLING_OK;) {
            if (status == PGRES_POLLING_FAILED)
                failConnection("cannot connect to the server");
            awaitSocket(status == PGRES_POLLING_WRITING ? POLLOUT : POLLIN, deadline, limit);
            status = PQconnectPoll(conn_);
        }
    } catch (...) {
        PQfinish(conn_);
        throw;
    }
    location_ = std::string(PQdb(conn_)) + " on " + PQhost(conn_);
    // Statements are sent without blocking, so a server that stops reading cannot hold a send.
    PQsetnonblocking(conn_, 1);
    // Notices ("relation already exists, skipping") are not for the user.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
}

PostgresDatabase::~PostgresDatabase() {
    PQfinish(conn_);
}

void PostgresDatabase::failConnection(const std::string& what) const {
    throw ArchiveError(what + ": " + oneLine(PQerrorMessage(conn_)));
}

void PostgresDatabase::connected() const {
    if (!conn_)
        throw ArchiveError("the server connection was closed");
}

std::string PostgresDatabase::location() const {
    return location_;
}

void PostgresDatabase::awaitSocket(short events, Deadline deadline,
                                   std::chrono::milliseconds limit) {
    pollfd fds[] = {{PQsocket(conn_), events, 0}, {waits_.cancelFd, POLLIN, 0}};
    const nfds_t count = waits_.cancelFd >= 0 ? 2 : 1;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ready = left.count() > 0 ? ::poll(fds, count, static_cast<int>(left.count())) : 0;
        const bool cancelled = count == 2 && ready > 0 && fds[1].revents != 0;
        if (ready > 0 && !cancelled)
            return;
        if (ready < 0 && errno == EINTR)
            continue;
        // The server rolls back what the connection left open.
        PQfinish(conn_);
        conn_ = nullptr;
        if (cancelled)
            throw ArchiveCancelled();
        throw ArchiveError("the company server did not answer within " + secondsText(limit));
    }
}

void PostgresDatabase::send(std::string_view sql, Params params, bool rowByRow) {
    const std::size_t count = params.size();
    std::vector<const char*> values(count);
    std::vector<int> lengths(count, 0);
    std::vector<int> formats(count, 1);
    std::vector<std::string> texts(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (std::holds_alternative<std::nullptr_t>(params[i])) {
            values[i] = nullptr;
        } else if (const auto* number = std::get_if<std::int64_t>(&params[i])) {
            texts[i] = std::to_string(*number);
        } else if (const auto* real = std::get_if<double>(&params[i])) {
            // The shortest text that brings back the same double, with a decimal point whatever
            // the process's locale.
            char text[32];
            texts[i].assign(text, std::to_chars(text, text + sizeof text, *real).ptr);
        } else if (const auto* text = std::get_if<Text>(&params[i])) {
            // In text form, so the server reads it as whatever type the statement needs.
            texts[i] = text->value;
        } else {
            // Byte strings go in binary form: their bytes exactly, no escaping.
            const std::string_view bytes = std::get<Bytes>(params[i]).value;
            values[i] = bytes.empty() ? "" : bytes.data();
            lengths[i] = static_cast<int>(bytes.size());
            continue;
        }
        if (!std::holds_alternative<std::nullptr_t>(params[i])) {
            values[i] = texts[i].c_str();
            formats[i] = 0;
        }
    }
    connected();
    const std::string text(sql);
    if (!PQsendQueryParams(conn_, text.c_str(), static_cast<int>(count), nullptr, values.data(),
                           lengths.data(), formats.data(), 1))
        failConnection("the server connection failed");
    if (rowByRow)
        PQsetSingleRowMode(conn_);
}

void PostgresDatabase::flush(Deadline deadline) {
    for (;;) {
        const int pending = PQflush(conn_);
        if (pending == 0)
            return;
        if (pending < 0)
            failConnection("the server connection failed");
        // What the server sends meanwhile is taken in, so neither side waits for the other.
        awaitSocket(POLLIN | POLLOUT, deadline, waits_.statement);
        if (!PQconsumeInput(conn_))
            failConnection("the server connection failed");
    }
}

void PostgresDatabase::awaitResult(Deadline deadline) {
    while (PQisBusy(conn_)) {
        awaitSocket(POLLIN, deadline, waits_.statement);
        if (!PQconsumeInput(conn_))
            failConnection("the server connection failed");
    }
}

void PostgresDatabase::queryWith(std::string_view sql, Params params, const RowHandler& onRow) {
    const Deadline deadline = std::chrono::steady_clock::now() + waits_.statement;
    send(sql, params, static_cast<bool>(onRow));
    flush(deadline);
    // Every result of the statement is read, also after a failure, so the connection is ready
    // for the next one.
    std::string error;
    std::string state;
    bool handlerFailed = false;
    std::exception_ptr handlerError;
    for (;;) {
        awaitResult(deadline);
        Result result(PQgetResult(conn_));
        if (!result)
            break;
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_TUPLES_OK || status == PGRES_SINGLE_TUPLE) {
            if (!onRow || handlerFailed)
                continue;
            try {
                for (int row = 0; row < PQntuples(result.get()); ++row)
                    onRow(ResultRow(result.get(), row));
            } catch (...) {
                handlerFailed = true;
                handlerError = std::current_exception();
            }
        } else if (status != PGRES_COMMAND_OK && error.empty()) {
            const char* primary = PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY);
            const char* code = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
            error = oneLine(primary ? primary : PQresultErrorMessage(result.get()));
            state = code ? code : "";
        }
    }
    if (PQstatus(conn_) == CONNECTION_BAD)
        failConnection("the server connection failed");
    if (!error.empty())
        throw ServerError(location() + ": " + error, state);
    if (handlerError)
        std::rethrow_exception(handlerError);
}

void PostgresDatabase::executeWith(std::string_view sql, Params params) {
    queryWith(sql, params, {});
}

void PostgresDatabase::begin() {
    execute("BEGIN");
}

void PostgresDatabase::commit() {
    execute("COMMIT");
}

void PostgresDatabase::rollback() noexcept {
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK || PQtransactionStatus(conn_) == PQTRANS_IDLE)
        return;
    try {
        execute("ROLLBACK");
    } catch (const ArchiveError&) {
        // A connection that failed or was closed: the server rolls back by itself.
    }
}

} // namespace ovena::archive
