#pragma once

#include "platform/SettingsStore.h"
#include "table/OutputSettings.h"

#include <array>
#include <string>
#include <string_view>

namespace ovena {

// Where the field selection and the other settings live in the settings store.
inline constexpr std::string_view FieldsKey = "\\Software\\TEV\\Ovena\\Fields";
inline constexpr std::string_view SettingsKey = "Software\\TEV\\Ovena\\Settings";

// "OVENA\FIELDS\FIELD00" to "OVENA\FIELDS\FIELD23": the backslashes are part of the name.
std::string FieldValueName(int field);

// Reads the tick marks of the fields from 32-bit integers (non-zero ticks). A value that is
// missing or not an integer leaves its tick mark as it is. Creates the key when missing.
void LoadFieldSelection(SettingsStore& store, CheckListBox<FieldCount>& fields);

// Writes the 24 tick marks as 1 or 0 and saves the store's file; answers false with a message
// in `error` when the file could not be written.
bool SaveFieldSelection(SettingsStore& store, const CheckListBox<FieldCount>& fields,
                        std::string* error = nullptr);

// The main window's placement as the settings store keeps it: the show flags and state, the
// screen resolution, the minimised and maximised positions (x, y, x, y) and the normal frame
// (left, top, right, bottom).
struct WindowPlacement {
    int Flags = 0;
    int ShowCmd = 1; // shown normally
    int PixelsPerInch = 96;
    std::array<int, 4> MinMaxPos{-1, -1, -1, -1};
    std::array<int, 4> NormPos{0, 0, 0, 0};
    bool Visible = false;
};

// Reads the stored settings of the configuration page and the window placement. Nothing is read
// when a "FormVersion" below 0 is stored. A value that is missing, of the wrong type or out of
// range leaves its setting as it is. Answers whether the settings were read.
bool ReadStoredSettings(const SettingsStore& store, OutputSettings& settings,
                        WindowPlacement& placement);

// Writes the settings of the configuration page, "FormVersion" and the window placement into
// the store (not into its file).
void WriteStoredSettings(SettingsStore& store, const OutputSettings& settings,
                         const WindowPlacement& placement);

// The main window's settings store: restores the settings when the window is shown and saves
// them when it may close, or, when that did not happen, when the store is destroyed. It keeps
// references to the store and the settings, which must outlive it.
class FormStorage {
public:
    FormStorage(SettingsStore& store, OutputSettings& settings);
    ~FormStorage();
    FormStorage(const FormStorage&) = delete;
    FormStorage& operator=(const FormStorage&) = delete;

    // Filled by the main window before a save, read by it after the restore.
    WindowPlacement Placement;

    bool Restore();
    // Writes the settings and saves the store's file; answers false with a message in `error`
    // when the file could not be written.
    bool Save(std::string* error = nullptr);

private:
    SettingsStore& store_;
    OutputSettings& settings_;
    bool restored_ = false;
    bool saved_ = false;
};

} // namespace ovena
