#pragma once

#include "platform/Components.h"
#include "table/FieldCatalogue.h"

#include <string_view>

namespace ovena {

class TExportXComponent;

// Captions of the configuration page's frames that hold the settings below.
inline constexpr std::string_view HeaderGroupCaption = "Header";
inline constexpr std::string_view FieldsLabelCaption = "Fields";

// The output settings: the components of the configuration page, each with its caption,
// choices and first-start default. The settings are read where they are used (the formats and
// field selection when the table is built, the generation at each service command, the port
// when a procedure starts), so a change takes effect at the next use.
struct OutputSettings {
    OutputSettings();

    RadioGroup RadioGroup1;                 // date-time layout, 0 to 4
    RadioGroup RadioGroup2;                 // 0 four-digit year, 1 two-digit year
    RadioGroup RadioGroup3;                 // decimal delimiter: 0 comma, 1 point
    CheckListBox<FieldCount> Listboxfields; // the fields that become table columns
    CheckBox CBHeader;                      // caption line of the export; enables CBDimension
    CheckBox CBDimension;                   // units in the heading row
    CheckBox CBtimestamp;                   // "Created:" line of the export
    CheckBox CBNumberRows;                  // row-number column of the export
    CheckBox cbsvers;                       // ticked: service command of the newer generation
    GroupBox GroupBox2;                     // Tag: the chosen COM port number
};

// Enables "Insert units" exactly while "Insert Headline" is ticked (its tick mark stays as it
// is) and switches the export options ShowColHeaders, TimeStamp and NumberRows of `exporter`
// with the header check boxes. Its other options keep their values.
void ApplyExportOptions(OutputSettings& settings, TExportXComponent& exporter);

} // namespace ovena
