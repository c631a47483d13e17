#include "session/Settings.h"

#include "platform/ConfigPaths.h"

#include <iostream>

namespace ovena {

SettingsStore loadSettings(std::string_view program) {
    SettingsStore store(settingsFile());
    std::string warning;
    store.load(&warning);
    if (!warning.empty())
        std::cerr << program << ": " << warning << '\n';
    return store;
}

} // namespace ovena
