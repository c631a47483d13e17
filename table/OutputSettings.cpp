#include "table/OutputSettings.h"

#include "export/EC_Main.h"

namespace ovena {

OutputSettings::OutputSettings() {
    // The first four layouts put three blanks between date and time, the fifth one; the
    // rendered values always have two.
    RadioGroup1 = {"Date Time format",
                   {"dd.mm.ccyy   hh:mm", "mm.dd.ccyy   hh:mm", "ccyy.mm.dd   hh:mm",
                    "ccyy-mm-dd   hh:mm", "ccyy/mm/dd hh:mm"},
                   0};
    RadioGroup2 = {"Year format", {"CCYY", "YY"}, 1};
    RadioGroup3 = {"Decimal delimiter", {"Comma", "Point"}, 0};
    for (std::size_t i = 0; i < Listboxfields.Items.size(); ++i)
        Listboxfields.Items[i] = FieldListTexts[i];
    Listboxfields.Checked.fill(true);
    CBHeader.Caption = "Insert Headline";
    CBDimension.Caption = "Insert units";
    CBDimension.Enabled = false;
    CBtimestamp.Caption = "Time Stamp";
    CBNumberRows.Caption = "Number Rows";
    cbsvers.Caption = "TEV 640 Vers 2.x, 3.x";
    GroupBox2.Caption = "Comports";
    GroupBox2.Hint = "Select the Comport, which you are using for TEV 640";
    GroupBox2.Tag = 0;
}

void ApplyExportOptions(OutputSettings& settings, TExportXComponent& exporter) {
    settings.CBDimension.Enabled = settings.CBHeader.Checked;
    TExportOptions options = exporter.Options();
    const auto setOption = [&options](TExportOption option, bool on) {
        if (on)
            options.insert(option);
        else
            options.erase(option);
    };
    setOption(TExportOption::ShowColHeaders, settings.CBHeader.Checked);
    setOption(TExportOption::TimeStamp, settings.CBtimestamp.Checked);
    setOption(TExportOption::NumberRows, settings.CBNumberRows.Checked);
    exporter.SetOptions(options);
}

} // namespace ovena
