#include "cli/SettingsFlags.h"

namespace ovena::cli {

// The formats the main window offers, by their command-line names.
const std::map<std::string, TExportType>& readoutFormats() {
    static const std::map<std::string, TExportType> table{
        {"excel", TExportType::xMicrosoft_Excel},
        {"xlsx", TExportType::xExcel_Workbook},
        {"word", TExportType::xMicrosoft_Word},
        {"rtf", TExportType::xRichText},
        {"html", TExportType::xHTML},
        {"text", TExportType::xText},
        {"csv", TExportType::xText_Comma_Delimited},
        {"tab", TExportType::xText_Tab_Delimited},
        {"clipboard", TExportType::xClipboard},
    };
    return table;
}

void SettingsFlags::apply(OutputSettings& s) const {
    if (port)
        s.GroupBox2.Tag = *port;
    if (dateLayout)
        s.RadioGroup1.ItemIndex = *dateLayout;
    if (year)
        s.RadioGroup2.ItemIndex = *year == "yy" ? 1 : 0;
    if (decimal)
        s.RadioGroup3.ItemIndex = *decimal == "point" ? 1 : 0;
    if (fields) {
        s.Listboxfields.Checked.fill(false);
        for (int field : *fields)
            s.Listboxfields.Checked[static_cast<std::size_t>(field)] = true;
    }
    const std::pair<const Switch*, CheckBox*> switches[] = {{&headline, &s.CBHeader},
                                                            {&units, &s.CBDimension},
                                                            {&timestamp, &s.CBtimestamp},
                                                            {&numberRows, &s.CBNumberRows},
                                                            {&secondGeneration, &s.cbsvers}};
    for (const auto& [flag, box] : switches)
        if (flag->on || flag->off)
            box->Checked = flag->on;
}

std::string TableExportFlags::problem() const {
    if (type() != TExportType::xClipboard && output.empty())
        return "--output is required for --format " + format;
    return {};
}

} // namespace ovena::cli
