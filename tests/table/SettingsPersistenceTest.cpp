#include "table/SettingsPersistence.h"

#include "platform/ConfigPaths.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace {

using namespace ovena;

// The lines of one section of the saved registry file.
std::set<std::string> sectionLines(const std::string& file, const std::string& section) {
    std::istringstream in(file);
    std::set<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.front() == '[')
            inside = line == "[HKEY_CURRENT_USER\\" + section + "]";
        else if (inside && !line.empty())
            lines.insert(line);
    }
    return lines;
}

SettingsStore reloaded() {
    SettingsStore store(settingsFile());
    store.load();
    return store;
}

TEST(FieldSelection, RoundTripThroughTheRegistryFile) {
    SettingsStore store(settingsFile());
    OutputSettings settings;
    settings.Listboxfields.Checked[5] = false;
    std::string error;
    ASSERT_TRUE(SaveFieldSelection(store, settings.Listboxfields, &error)) << error;

    const auto lines = sectionLines(test::readFile(settingsFile()), "Software\\TEV\\Ovena\\Fields");
    std::set<std::string> expected;
    for (int i = 0; i < FieldCount; ++i)
        expected.insert("\"OVENA\\\\FIELDS\\\\FIELD" + std::string(i < 10 ? "0" : "") +
                        std::to_string(i) + "\"=dword:0000000" + (i == 5 ? "0" : "1"));
    EXPECT_EQ(lines, expected);

    SettingsStore again = reloaded();
    OutputSettings fresh;
    fresh.Listboxfields.Checked.fill(false);
    fresh.Listboxfields.Checked[5] = true;
    LoadFieldSelection(again, fresh.Listboxfields);
    for (std::size_t i = 0; i < FieldCount; ++i)
        EXPECT_EQ(fresh.Listboxfields.Checked[i], i != 5) << "field " << i;
}

TEST(FieldSelection, MissingOrTextValuesLeaveTheTickMarks) {
    SettingsStore store;
    store.writeString(FieldsKey, FieldValueName(3), "0");
    store.writeInteger(FieldsKey, FieldValueName(4), 0);
    store.writeInteger(FieldsKey, FieldValueName(6), 7);
    CheckListBox<FieldCount> fields;
    fields.Checked.fill(true);
    fields.Checked[6] = false;
    LoadFieldSelection(store, fields);
    for (std::size_t i = 0; i < FieldCount; ++i)
        EXPECT_EQ(fields.Checked[i], i != 4) << "field " << i;

    // A first start finds no key: it is created and every tick stays.
    SettingsStore empty;
    fields.Checked.fill(true);
    LoadFieldSelection(empty, fields);
    EXPECT_TRUE(empty.keyExists(FieldsKey));
    for (std::size_t i = 0; i < FieldCount; ++i)
        EXPECT_TRUE(fields.Checked[i]);
}

TEST(StoredSettings, SavedSectionHoldsTheExactTexts) {
    SettingsStore store(settingsFile());
    OutputSettings settings;
    settings.CBHeader.Checked = true;
    settings.CBtimestamp.Checked = true;
    settings.RadioGroup1.ItemIndex = 3;
    settings.RadioGroup2.ItemIndex = 0;
    settings.GroupBox2.Tag = 12;
    {
        FormStorage storage(store, settings);
        storage.Placement = {0, 1, 96, {-1, -1, -8, -31}, {342, 185, 965, 598}, true};
        std::string error;
        ASSERT_TRUE(storage.Save(&error)) << error;
    }
    const std::set<std::string> expected = {
        "\"CBHeader_Checked\"=\"True\"",
        "\"CBDimension_Checked\"=\"False\"",
        "\"CBNumberRows_Checked\"=\"False\"",
        "\"CBtimestamp_Checked\"=\"True\"",
        "\"RadioGroup1_ItemIndex\"=\"3\"",
        "\"GroupBox2_Tag\"=\"12\"",
        "\"RadioGroup2_ItemIndex\"=\"0\"",
        "\"RadioGroup3_ItemIndex\"=\"0\"",
        "\"cbsvers_Checked\"=\"False\"",
        "\"FormVersion\"=\"0\"",
        "\"Flags\"=\"0\"",
        "\"ShowCmd\"=\"1\"",
        "\"PixelsPerInch\"=\"96\"",
        "\"MinMaxPos\"=\"-1,-1,-8,-31\"",
        "\"NormPos\"=\"342,185,965,598\"",
        "\"Visible\"=\"1\"",
    };
    EXPECT_EQ(sectionLines(test::readFile(settingsFile()), "Software\\TEV\\Ovena\\Settings"),
              expected);

    SettingsStore again = reloaded();
    OutputSettings restored;
    FormStorage storage(again, restored);
    ASSERT_TRUE(storage.Restore());
    EXPECT_TRUE(restored.CBHeader.Checked);
    EXPECT_FALSE(restored.CBDimension.Checked);
    EXPECT_TRUE(restored.CBtimestamp.Checked);
    EXPECT_EQ(restored.RadioGroup1.ItemIndex, 3);
    EXPECT_EQ(restored.RadioGroup2.ItemIndex, 0);
    EXPECT_EQ(restored.GroupBox2.Tag, 12);
    EXPECT_EQ(storage.Placement.NormPos, (std::array<int, 4>{342, 185, 965, 598}));
    EXPECT_EQ(storage.Placement.MinMaxPos, (std::array<int, 4>{-1, -1, -8, -31}));
    EXPECT_TRUE(storage.Placement.Visible);
}

TEST(StoredSettings, WrongTypesAndRangesLeaveTheDefaults) {
    SettingsStore store;
    const std::string key(SettingsKey);
    store.writeString(key, "CBHeader_Checked", "yes");
    store.writeString(key, "cbsvers_Checked", "true");
    store.writeString(key, "RadioGroup1_ItemIndex", "5");
    store.writeInteger(key, "RadioGroup2_ItemIndex", 0);
    store.writeString(key, "RadioGroup3_ItemIndex", "1x");
    store.writeString(key, "GroupBox2_Tag", "100");
    store.writeString(key, "NormPos", "1,2,3");
    store.writeString(key, "MinMaxPos", "1,2,3,4,5");
    store.writeString(key, "PixelsPerInch", "");
    store.writeString(key, "ShowCmd", "3");
    OutputSettings settings;
    WindowPlacement placement;
    ASSERT_TRUE(ReadStoredSettings(store, settings, placement));
    const OutputSettings defaults;
    const WindowPlacement defaultPlacement;
    EXPECT_FALSE(settings.CBHeader.Checked);
    EXPECT_TRUE(settings.cbsvers.Checked) << "letter case does not matter";
    EXPECT_EQ(settings.RadioGroup1.ItemIndex, defaults.RadioGroup1.ItemIndex);
    EXPECT_EQ(settings.RadioGroup2.ItemIndex, defaults.RadioGroup2.ItemIndex);
    EXPECT_EQ(settings.RadioGroup3.ItemIndex, defaults.RadioGroup3.ItemIndex);
    EXPECT_EQ(settings.GroupBox2.Tag, 0);
    EXPECT_EQ(placement.NormPos, defaultPlacement.NormPos);
    EXPECT_EQ(placement.MinMaxPos, defaultPlacement.MinMaxPos);
    EXPECT_EQ(placement.PixelsPerInch, 96);
    EXPECT_EQ(placement.ShowCmd, 3);
}

TEST(StoredSettings, NegativeFormVersionRestoresNothing) {
    SettingsStore store;
    store.writeString(SettingsKey, "FormVersion", "-1");
    store.writeString(SettingsKey, "CBHeader_Checked", "True");
    OutputSettings settings;
    WindowPlacement placement;
    EXPECT_FALSE(ReadStoredSettings(store, settings, placement));
    EXPECT_FALSE(settings.CBHeader.Checked);

    store.writeString(SettingsKey, "FormVersion", "0");
    EXPECT_TRUE(ReadStoredSettings(store, settings, placement));
    EXPECT_TRUE(settings.CBHeader.Checked);
}

TEST(FormStorage, SavesOnDestructionOnlyWhenRestoredAndNotSaved) {
    OutputSettings settings;
    std::filesystem::remove(settingsFile());
    {
        SettingsStore store(settingsFile());
        FormStorage never(store, settings);
    }
    EXPECT_FALSE(std::filesystem::exists(settingsFile())) << "defaults must not overwrite";

    {
        SettingsStore store(settingsFile());
        FormStorage storage(store, settings);
        storage.Restore();
        settings.cbsvers.Checked = true;
    }
    EXPECT_TRUE(reloaded().readString(SettingsKey, "cbsvers_Checked") == "True");

    {
        SettingsStore store = reloaded();
        FormStorage storage(store, settings);
        storage.Restore();
        ASSERT_TRUE(storage.Save());
        settings.cbsvers.Checked = false;
    }
    EXPECT_TRUE(reloaded().readString(SettingsKey, "cbsvers_Checked") == "True")
        << "a storage saves once";
}

} // namespace
