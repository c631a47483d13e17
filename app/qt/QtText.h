#pragma once

#include "platform/Cp1252.h"

#include <QString>
#include <string>

namespace ovena {

// Texts meet Qt here: the forms hold Windows-1252 bytes, Qt holds Unicode.
inline QString qtText(const std::string& cp1252) {
    return QString::fromStdString(cp1252ToUtf8(cp1252));
}

inline std::string cp1252Text(const QString& text) {
    return utf8ToCp1252(text.toStdString());
}

} // namespace ovena
