#pragma once

#include <string>
#include <string_view>

namespace ovena::archive {

// What a UTF-8 text is found by: lower case, and the letters of the Latin alphabets without
// their accents ("Łódź" -> "lodz", "Dvořák" -> "dvorak", "Straße" -> "strasse"); Greek and Cyrillic
// capitals in lower case; every other character as it is. Malformed UTF-8 is skipped.
std::string searchKey(std::string_view utf8);

// The smallest text after every text that begins with `prefix` (a search range's end).
std::string afterEveryExtension(std::string_view prefix);

} // namespace ovena::archive
