// Every writer of the engine fed random captions, cells, options, titles, headers, footers,
// templates, column widths and locales: an export either succeeds or fails with its message,
// never worse.

#include "FuzzSupport.h"

#include "support/FakeUi.h"

#include "export/EC_SGrid.h"
#include "export/ExportError.h"
#include "platform/Form.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>

using namespace ovena;

namespace {

// File associations as the input says: a viewer for every type or for none.
class ScriptedShell : public Shell {
public:
    explicit ScriptedShell(bool viewers, int openResult)
        : viewers_(viewers), openResult_(openResult) {}
    std::optional<std::string> fileTypeForExtension(const std::string& extension) override {
        return viewers_ ? std::optional("type/" + extension) : std::nullopt;
    }
    bool hasOpenCommand(const std::string&) override { return viewers_; }
    std::optional<std::string> defaultIcon(const std::string&) override { return std::nullopt; }
    int openDocument(const std::string&) override { return openResult_; }

private:
    bool viewers_;
    int openResult_;
};

std::vector<std::string> lines(FuzzedDataProvider& in, int most, std::size_t length) {
    std::vector<std::string> result(in.ConsumeIntegralInRange(0, most));
    for (std::string& line : result)
        line = in.ConsumeRandomLengthString(length);
    return result;
}

LocaleSettings locale(FuzzedDataProvider& in) {
    static const LocaleSettings process = processLocaleSettings();
    LocaleSettings l = process;
    l.sDecimal = in.ConsumeRandomLengthString(2);
    l.sThousand = in.ConsumeRandomLengthString(2);
    l.sList = in.ConsumeRandomLengthString(2);
    l.sDate = in.ConsumeRandomLengthString(2);
    l.sShortDate = in.ConsumeRandomLengthString(12);
    l.sTimeFormat = in.ConsumeRandomLengthString(12);
    l.sCurrency = in.ConsumeRandomLengthString(3);
    l.iCurrDigits = in.ConsumeIntegralInRange(-1, 12);
    l.iCurrency = in.ConsumeIntegralInRange(-1, 4);
    l.iNegCurr = in.ConsumeIntegralInRange(-1, 16);
    return l;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    test::FakeUi ui;
    ScriptedShell shell(in.ConsumeBool(), in.ConsumeIntegralInRange(0, 64));
    SettingsStore settings;
    ExportServices services{ui, shell, settings, locale(in)};
    Form owner;

    StringGrid grid(in.ConsumeIntegralInRange(0, 8), in.ConsumeIntegralInRange(0, 12));
    grid.SelectionTop = in.ConsumeIntegralInRange(-1, 13);
    grid.SelectionBottom = in.ConsumeIntegralInRange(-1, 13);
    for (int c = 0; c < grid.ColCount(); ++c)
        grid.SetColWidth(c, in.ConsumeIntegralInRange(-1, 2) * 64);

    TExportStringGrid component(services, &owner, &grid);
    component.ExportType =
        static_cast<TExportType>(in.ConsumeIntegralInRange(0, ExportTypeCount - 1));
    component.SetOptions(TExportOptions::fromBits(in.ConsumeIntegral<std::uint16_t>() & 0x7FF));
    component.HTML_Options = THTML_Options::fromBits(in.ConsumeIntegral<std::uint8_t>() & 0x7F);
    component.HTML_Template = static_cast<THTML_Template>(in.ConsumeIntegralInRange(0, 8));
    component.ViewOnly = in.ConsumeBool();
    component.ExportFile = test::sandboxFolder() + "/out";
    component.SetTitle(in.ConsumeRandomLengthString(64));
    component.SetHeader(lines(in, 3, 40));
    component.SetFooter(lines(in, 3, 40));
    component.SetCaptions(lines(in, 6, 20));
    component.SetTruncateSymbol(in.ConsumeRandomLengthString(4));
    component.XL_Options.PrintGridlines = in.ConsumeBool();
    component.XL_Options.PrintHeadings = in.ConsumeBool();
    component.XL_Options.PageHeader = in.ConsumeRandomLengthString(20);
    component.XL_Options.PageFooter = in.ConsumeRandomLengthString(20);
    try {
        component.SetHTML_CustomTemplate(in.ConsumeRandomLengthString(120));
    } catch (const ExportError&) {
    }
    try {
        component.SetColWidths(lines(in, 8, 4));
    } catch (const ExportError&) {
    }
    for (int r = 0; r < grid.RowCount(); ++r)
        for (int c = 0; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, in.ConsumeRandomLengthString(24));

    try {
        component.Export();
    } catch (const ExportError&) {
        // The failures the component reports by throwing: its events have run.
    }
    deleteTempFiles();
    return 0;
}
