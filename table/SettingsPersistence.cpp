#include "table/SettingsPersistence.h"

#include "link/Funcs.h"
#include "platform/Cp1252.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace ovena {

namespace {

constexpr std::string_view FormVersionName = "FormVersion";
constexpr int FormVersion = 0;
constexpr int HighestPort = 99;

// The value names of the stored settings: component and property joined by an underscore.
constexpr std::string_view HeaderName = "CBHeader_Checked";
constexpr std::string_view DimensionName = "CBDimension_Checked";
constexpr std::string_view NumberRowsName = "CBNumberRows_Checked";
constexpr std::string_view TimestampName = "CBtimestamp_Checked";
constexpr std::string_view DateLayoutName = "RadioGroup1_ItemIndex";
constexpr std::string_view PortName = "GroupBox2_Tag";
constexpr std::string_view YearFormatName = "RadioGroup2_ItemIndex";
constexpr std::string_view DelimiterName = "RadioGroup3_ItemIndex";
constexpr std::string_view GenerationName = "cbsvers_Checked";

constexpr std::string_view FlagsName = "Flags";
constexpr std::string_view ShowCmdName = "ShowCmd";
constexpr std::string_view PixelsPerInchName = "PixelsPerInch";
constexpr std::string_view MinMaxPosName = "MinMaxPos";
constexpr std::string_view NormPosName = "NormPos";
constexpr std::string_view VisibleName = "Visible";

std::string boolText(bool value) {
    return value ? "True" : "False";
}

std::string quadText(const std::array<int, 4>& q) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", q[0], q[1], q[2], q[3]);
    return text;
}

// Reads a whole text as a decimal integer; anything else gives no value.
std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<bool> parseBool(std::string_view text) {
    if (equalsIgnoringCase(text, "True"))
        return true;
    if (equalsIgnoringCase(text, "False"))
        return false;
    return std::nullopt;
}

// Four decimal integers separated by commas.
std::optional<std::array<int, 4>> parseQuad(std::string_view text) {
    std::array<int, 4> q{};
    for (std::size_t i = 0; i < q.size(); ++i) {
        const bool last = i + 1 == q.size();
        const std::size_t comma = text.find(',');
        if (last != (comma == std::string_view::npos))
            return std::nullopt;
        const auto value = parseInt(text.substr(0, comma));
        if (!value)
            return std::nullopt;
        q[i] = *value;
        text.remove_prefix(last ? text.size() : comma + 1);
    }
    return q;
}

// Copies the stored text of `name` into `target` when it reads as a value of the right kind.
template <typename Parse, typename T>
void restore(const SettingsStore& store, std::string_view name, Parse parse, T& target) {
    if (const auto text = store.readString(SettingsKey, name))
        if (const auto value = parse(*text))
            target = *value;
}

void restoreCheck(const SettingsStore& store, std::string_view name, CheckBox& box) {
    restore(store, name, parseBool, box.Checked);
}

// An item index outside the group's choices leaves the choice as it is.
void restoreChoice(const SettingsStore& store, std::string_view name, RadioGroup& group) {
    int index = group.ItemIndex;
    restore(store, name, parseInt, index);
    if (index >= 0 && static_cast<std::size_t>(index) < group.Items.size())
        group.ItemIndex = index;
}

} // namespace

std::string FieldValueName(int field) {
    return "OVENA\\FIELDS\\FIELD" + IntToZeroText(field, 2);
}

void LoadFieldSelection(SettingsStore& store, CheckListBox<FieldCount>& fields) {
    store.createKey(FieldsKey);
    for (int i = 0; i < FieldCount; ++i)
        if (const auto value = store.readInteger(FieldsKey, FieldValueName(i)))
            fields.Checked[static_cast<std::size_t>(i)] = *value != 0;
}

bool SaveFieldSelection(SettingsStore& store, const CheckListBox<FieldCount>& fields,
                        std::string* error) {
    for (int i = 0; i < FieldCount; ++i)
        store.writeInteger(FieldsKey, FieldValueName(i),
                           fields.Checked[static_cast<std::size_t>(i)] ? 1 : 0);
    return store.save(error);
}

bool ReadStoredSettings(const SettingsStore& store, OutputSettings& settings,
                        WindowPlacement& placement) {
    int version = FormVersion;
    restore(store, FormVersionName, parseInt, version);
    if (version < FormVersion)
        return false;

    restoreCheck(store, HeaderName, settings.CBHeader);
    restoreCheck(store, DimensionName, settings.CBDimension);
    restoreCheck(store, NumberRowsName, settings.CBNumberRows);
    restoreCheck(store, TimestampName, settings.CBtimestamp);
    restoreCheck(store, GenerationName, settings.cbsvers);
    restoreChoice(store, DateLayoutName, settings.RadioGroup1);
    restoreChoice(store, YearFormatName, settings.RadioGroup2);
    restoreChoice(store, DelimiterName, settings.RadioGroup3);
    int port = settings.GroupBox2.Tag;
    restore(store, PortName, parseInt, port);
    if (port >= 0 && port <= HighestPort)
        settings.GroupBox2.Tag = port;

    restore(store, FlagsName, parseInt, placement.Flags);
    restore(store, ShowCmdName, parseInt, placement.ShowCmd);
    restore(store, PixelsPerInchName, parseInt, placement.PixelsPerInch);
    restore(store, MinMaxPosName, parseQuad, placement.MinMaxPos);
    restore(store, NormPosName, parseQuad, placement.NormPos);
    int visible = placement.Visible;
    restore(store, VisibleName, parseInt, visible);
    placement.Visible = visible != 0;
    return true;
}

void WriteStoredSettings(SettingsStore& store, const OutputSettings& settings,
                         const WindowPlacement& placement) {
    const auto write = [&store](std::string_view name, const std::string& text) {
        store.writeString(SettingsKey, name, text);
    };
    write(HeaderName, boolText(settings.CBHeader.Checked));
    write(DimensionName, boolText(settings.CBDimension.Checked));
    write(NumberRowsName, boolText(settings.CBNumberRows.Checked));
    write(TimestampName, boolText(settings.CBtimestamp.Checked));
    write(DateLayoutName, std::to_string(settings.RadioGroup1.ItemIndex));
    write(PortName, std::to_string(settings.GroupBox2.Tag));
    write(YearFormatName, std::to_string(settings.RadioGroup2.ItemIndex));
    write(DelimiterName, std::to_string(settings.RadioGroup3.ItemIndex));
    write(GenerationName, boolText(settings.cbsvers.Checked));
    write(FormVersionName, std::to_string(FormVersion));
    write(FlagsName, std::to_string(placement.Flags));
    write(ShowCmdName, std::to_string(placement.ShowCmd));
    write(PixelsPerInchName, std::to_string(placement.PixelsPerInch));
    write(MinMaxPosName, quadText(placement.MinMaxPos));
    write(NormPosName, quadText(placement.NormPos));
    write(VisibleName, std::to_string(placement.Visible ? 1 : 0));
}

FormStorage::FormStorage(SettingsStore& store, OutputSettings& settings)
    : store_(store), settings_(settings) {}

// A storage that never restored holds only defaults: saving them would overwrite the user's
// stored settings, so only a restored, unsaved storage saves here.
FormStorage::~FormStorage() {
    if (restored_ && !saved_)
        Save();
}

bool FormStorage::Restore() {
    restored_ = true;
    return ReadStoredSettings(store_, settings_, Placement);
}

bool FormStorage::Save(std::string* error) {
    WriteStoredSettings(store_, settings_, Placement);
    saved_ = true;
    return store_.save(error);
}

} // namespace ovena
