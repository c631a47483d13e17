#pragma once

#include <string>

namespace ovena {

// The item of a ";"-separated reply or record line that starts at `cursor` (1-based). The
// cursor moves past the item and past the ";" that ends it. At or beyond the end of the text
// the item is empty and the cursor stays; a cursor below 1 reads from the first character.
std::string NextToken(const std::string& text, int& cursor);

} // namespace ovena
