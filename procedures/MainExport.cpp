#include "procedures/MainExport.h"

#include "platform/UiServices.h"
#include "table/TableBuilder.h"

namespace ovena {

namespace {

// Restores the application when the export returns, however it returns.
class RestoreApplication {
public:
    explicit RestoreApplication(UiServices& ui) : ui_(ui) {}
    ~RestoreApplication() { ui_.restoreApplication(); }
    RestoreApplication(const RestoreApplication&) = delete;
    RestoreApplication& operator=(const RestoreApplication&) = delete;

private:
    UiServices& ui_;
};

} // namespace

MainExport::MainExport(ExportServices& services, Form* owner, StringGrid& grid)
    : ExportStringGrid1(services, owner, &grid), grid_(grid) {
    using enum TExportOption;
    using enum THTML_Option;
    TExportStringGrid& c = ExportStringGrid1;
    c.SetOptions(
        {DetailedMode, NumberRows, ShowColHeaders, ShowClipboardMsg, ShowProgress, TimeStamp});
    c.HTML_Options = {htColHeadersBold, htAutoLink, htOddRowColoring};
    c.SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
    c.ExportType = TExportType::xMicrosoft_Excel;
    c.AllowedTypes = allExportTypes().without({TExportType::xDIF, TExportType::xSYLK});
    c.SetTruncateSymbol("-");
    c.XL_Options.PrintGridlines = true;
    c.XL_Options.PrintHeadings = true;
    c.XL_Options.PageFooter = "Page &P of &N";
    c.Loaded();
}

bool MainExport::BuildTable(const InstrumentData& data, OutputSettings& settings) {
    const TableRecord readout{data.Memo1.Lines, data.InstrumentSerial, data.FuelNames,
                              data.FuelCount};
    return ExportRecords(std::span(&readout, 1), settings);
}

bool MainExport::ExportRecords(std::span<const TableRecord> records, OutputSettings& settings) {
    ApplyExportOptions(settings, ExportStringGrid1);
    const TableFormat format(settings);
    ExportStringGrid1.TableNotation = {std::string(1, format.decimalMark),
                                       FormatDateTimeField("YYMMDDhhmm",
                                                           static_cast<int>(format.dateLayout),
                                                           format.twoDigitYear)};
    // Rows an earlier, longer readout left behind would otherwise be exported as empty rows.
    grid_.SetRowCount(1);
    ovena::BuildTable(records, settings, grid_);
    RestoreApplication restore(ExportStringGrid1.Services().ui);
    return ExportStringGrid1.ExportWithDialog();
}

} // namespace ovena
