#include "archive/Database.h"

namespace ovena::archive {

std::int64_t Database::queryInteger(std::string_view sql, std::initializer_list<SqlValue> params) {
    std::int64_t value = 0;
    bool first = true;
    query(sql, params, [&](const SqlRow& row) {
        if (first && !row.isNull(0))
            value = row.integer(0);
        first = false;
    });
    return value;
}

} // namespace ovena::archive
