#pragma once

#include "platform/SettingsStore.h"

#include <string_view>

namespace ovena {

// The settings store the window saves (platform/ConfigPaths' settingsFile), loaded for a
// program: lines it cannot read are skipped with one warning on stderr, "PROGRAM: WARNING".
SettingsStore loadSettings(std::string_view program);

} // namespace ovena
