#pragma once

#include "archive/Database.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace ovena::archive {

// Rows per statement of insertRows (a row has up to a dozen parameters; PostgreSQL takes 65535
// in one statement).
inline constexpr std::size_t RowsPerStatement = 500;

// Runs `head` + "(row), (row), ..." + `tail` for the rows, RowsPerStatement at a time. Each row
// gives its parameters; `casts` are their types, so the server reads each one right. Answers
// the sum of the statements' first result column (when they have one).
template <class Row, class ParamsOf>
std::int64_t insertRows(Database& server, std::string_view head, std::string_view tail,
                        std::initializer_list<std::string_view> casts, const std::vector<Row>& rows,
                        ParamsOf paramsOf) {
    std::int64_t total = 0;
    for (std::size_t first = 0; first < rows.size(); first += RowsPerStatement) {
        const std::size_t end = std::min(rows.size(), first + RowsPerStatement);
        std::string sql(head);
        std::vector<SqlValue> params;
        for (std::size_t i = first; i < end; ++i) {
            sql += i == first ? "(" : ", (";
            std::size_t column = params.size();
            for (std::string_view cast : casts) {
                sql += column == params.size() ? "$" : ", $";
                sql += std::to_string(++column) + "::" + std::string(cast);
            }
            sql += ")";
            paramsOf(rows[i], params);
        }
        sql += tail;
        server.queryWith(sql, params, [&](const SqlRow& row) { total += row.integer(0); });
    }
    return total;
}

} // namespace ovena::archive
