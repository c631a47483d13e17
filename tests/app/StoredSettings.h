#pragma once

#include "platform/ConfigPaths.h"
#include "platform/SettingsStore.h"
#include "table/SettingsPersistence.h"

#include <string>

namespace ovena::test {

inline std::string fieldValueName(int field) {
    return std::string("OVENA\\FIELDS\\FIELD") + (field < 10 ? "0" : "") + std::to_string(field);
}

// The settings file as it is on disk now.
inline SettingsStore storedSettings() {
    SettingsStore store(settingsFile());
    store.load();
    return store;
}

// Writes the stored COM port as the window's settings store would.
inline bool storePort(const std::string& tag) {
    SettingsStore store(settingsFile());
    store.load();
    store.writeString(SettingsKey, "GroupBox2_Tag", tag);
    return store.save();
}

} // namespace ovena::test
