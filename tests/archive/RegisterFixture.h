#pragma once

#include "archive/Register.h"

namespace ovena::test {

// A plant with every value given, its texts outside Windows-1252.
archive::Plant samplePlant(const std::string& customer = "4711");

} // namespace ovena::test
