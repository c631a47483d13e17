#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace ovena::archive {

// Why the archive could not do what was asked, in the words of its store ("database or disk is
// full", "connection to server ... failed").
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A statement parameter. Texts and byte strings are views that must stay valid until the call
// returns. Byte strings (record lines, serial numbers, customer numbers) reach the store as
// BLOB or bytea, so every byte survives; texts must be UTF-8.
struct Text {
    std::string_view value;
};
struct Bytes {
    std::string_view value;
};
using SqlValue = std::variant<std::nullptr_t, std::int64_t, double, Text, Bytes>;
using Params = std::span<const SqlValue>;

// One result row; its views are valid only during the row callback.
class SqlRow {
public:
    virtual ~SqlRow() = default;
    virtual bool isNull(int column) const = 0;
    virtual std::int64_t integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // A text or byte column as stored.
    virtual std::string_view bytes(int column) const = 0;
    std::string text(int column) const { return std::string(bytes(column)); }
};

using RowHandler = std::function<void(const SqlRow&)>;

enum class Dialect { SQLite, PostgreSQL };

// A connection to one archive store. Statements are written once for both stores, with the
// placeholders $1, $2, ... Every value reaches the store as a bound parameter, never as part of
// the statement's text. Failures throw ArchiveError.
class Database {
public:
    virtual ~Database() = default;

    virtual Dialect dialect() const = 0;
    // Where the store is, for messages: the file, or the server's host and database.
    virtual std::string location() const = 0;

    virtual void executeWith(std::string_view sql, Params params) = 0;
    virtual void queryWith(std::string_view sql, Params params, const RowHandler& onRow) = 0;

    // A transaction that will write: on SQLite it takes the write lock at once, so two programs
    // that archive at the same moment wait for each other instead of failing.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;

    void execute(std::string_view sql, std::initializer_list<SqlValue> params = {}) {
        executeWith(sql, {params.begin(), params.size()});
    }
    void query(std::string_view sql, std::initializer_list<SqlValue> params,
               const RowHandler& onRow) {
        queryWith(sql, {params.begin(), params.size()}, onRow);
    }
    // The first column of the first row; 0 when there is no row or it is NULL.
    std::int64_t queryInteger(std::string_view sql, std::initializer_list<SqlValue> params = {});
};

// Begins a writing transaction and rolls it back unless commit() was called, so an exception
// leaves the store as it was.
class Transaction {
public:
    explicit Transaction(Database& db) : db_(db) { db_.begin(); }
    ~Transaction() {
        if (!done_)
            db_.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        db_.commit();
        done_ = true;
    }

private:
    Database& db_;
    bool done_ = false;
};

} // namespace ovena::archive
