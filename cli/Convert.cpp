// ovena-cli convert: exports a table read from a CSV file through the export engine.

#include "Commands.h"
#include "CsvTable.h"
#include "TerminalUi.h"

#include "export/EC_SGrid.h"
#include "export/ExportError.h"

#include "platform/Cp1252.h"
#include "platform/Shell.h"
#include "session/Settings.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

namespace ovena::cli {

namespace {

struct ConvertRequest {
    std::string input;
    std::string format;
    std::string output;
    std::optional<std::string> title;
    std::vector<std::string> header;
    std::vector<std::string> footer;
    std::optional<std::string> options;
    std::optional<std::string> htmlTemplate;
    std::optional<std::string> htmlOptions;
    std::optional<std::string> htmlCustomTemplate;
    std::optional<std::string> colWidths;
    std::optional<std::string> captions;
    std::optional<std::string> pageHeader;
    std::optional<std::string> pageFooter;
    std::optional<std::string> margins;
    std::optional<std::string> separator;
    bool printGridlines = false;
    bool printHeadings = false;
    bool rawCells = false;
};

// A mistake in what the user asked for (exit status 2).
struct UsageProblem : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const std::map<std::string, TExportType>& formats() {
    static const std::map<std::string, TExportType> table{
        {"html", TExportType::xHTML},
        {"word", TExportType::xMicrosoft_Word},
        {"excel", TExportType::xMicrosoft_Excel},
        {"xlsx", TExportType::xExcel_Workbook},
        {"text", TExportType::xText},
        {"rtf", TExportType::xRichText},
        {"csv", TExportType::xText_Comma_Delimited},
        {"tab", TExportType::xText_Tab_Delimited},
        {"dif", TExportType::xDIF},
        {"sylk", TExportType::xSYLK},
    };
    return table;
}

// The items of a comma list, without blanks around them; an empty text is an empty list.
std::vector<std::string> commaList(const std::string& text) {
    std::vector<std::string> items;
    if (text.empty())
        return items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        const auto first = item.find_first_not_of(' ');
        const auto last = item.find_last_not_of(' ');
        items.push_back(first == std::string::npos ? "" : item.substr(first, last - first + 1));
    }
    if (text.back() == ',')
        items.emplace_back();
    return items;
}

// The members of an enumeration named in a comma list.
template <typename E>
EnumSet<E> memberSet(const std::string& list, int count, std::string_view (*name)(E),
                     const char* what) {
    EnumSet<E> set;
    for (const std::string& item : commaList(list)) {
        bool found = false;
        for (int i = 0; i < count && !found; ++i)
            if (name(static_cast<E>(i)) == item) {
                set.insert(static_cast<E>(i));
                found = true;
            }
        if (!found)
            throw UsageProblem(std::string("unknown ") + what + " \"" + item + "\"");
    }
    return set;
}

std::vector<std::string> textLines(const std::vector<std::string>& utf8) {
    std::vector<std::string> lines;
    for (const std::string& line : utf8)
        lines.push_back(utf8ToCp1252(line));
    return lines;
}

std::uint16_t marginValue(const std::string& text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > 65535)
        throw UsageProblem("--margins takes four whole numbers from 0 to 65535: \"" + text + "\"");
    return static_cast<std::uint16_t>(value);
}

// Puts the request's settings into the component; refused values throw UsageProblem.
void configure(TExportStringGrid& component, const ConvertRequest& r) {
    try {
        if (r.title)
            component.SetTitle(utf8ToCp1252(*r.title));
        component.SetHeader(textLines(r.header));
        component.SetFooter(textLines(r.footer));
        if (r.options)
            component.SetOptions(
                memberSet<TExportOption>(*r.options, ExportOptionCount, optionName, "option"));
        if (r.htmlOptions)
            component.HTML_Options = memberSet<THTML_Option>(*r.htmlOptions, HtmlOptionCount,
                                                             htmlOptionName, "HTML option");
        if (r.htmlTemplate) {
            const auto chosen = memberSet<THTML_Template>(*r.htmlTemplate, HtmlTemplateCount,
                                                          htmlTemplateName, "HTML template");
            for (int i = 0; i < HtmlTemplateCount; ++i)
                if (chosen.contains(static_cast<THTML_Template>(i)))
                    component.HTML_Template = static_cast<THTML_Template>(i);
        }
        if (r.htmlCustomTemplate)
            component.SetHTML_CustomTemplate(utf8ToCp1252(*r.htmlCustomTemplate));
        if (r.colWidths)
            component.SetColWidths(commaList(*r.colWidths));
        if (r.captions)
            component.SetCaptions(textLines(commaList(*r.captions)));
        if (r.pageHeader)
            component.XL_Options.PageHeader = utf8ToCp1252(*r.pageHeader);
        if (r.pageFooter)
            component.XL_Options.PageFooter = utf8ToCp1252(*r.pageFooter);
        component.XL_Options.PrintGridlines = r.printGridlines;
        component.XL_Options.PrintHeadings = r.printHeadings;
        component.EscapeFormulaTexts = !r.rawCells;
        if (r.margins) {
            const auto m = commaList(*r.margins);
            if (m.size() != 4)
                throw UsageProblem("--margins takes four numbers: left,right,top,bottom");
            component.Word_RTF_Options = {marginValue(m[0]), marginValue(m[1]), marginValue(m[2]),
                                          marginValue(m[3])};
        }
    } catch (const ExportError& e) {
        throw UsageProblem(cp1252ToUtf8(e.what()));
    }
}

std::string readInput(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return bytes.str();
}

// The input's field separator: the one asked for ("tab" for TAB), else the one it uses.
char inputSeparator(const ConvertRequest& r, std::string_view csv) {
    if (!r.separator)
        return detectSeparator(csv);
    if (*r.separator == "tab")
        return '\t';
    if (r.separator->size() != 1 || *r.separator == "\"" || *r.separator == "\n" ||
        *r.separator == "\r")
        throw UsageProblem("--separator takes one character or \"tab\": \"" + *r.separator + "\"");
    return r.separator->front();
}

int runConvert(const ConvertRequest& r) {
    StringGrid grid(0, 0);
    std::string csv;
    char separator = ',';
    try {
        csv = readInput(r.input);
        separator = inputSeparator(r, csv);
    } catch (const UsageProblem& e) {
        std::cerr << "ovena-cli convert: " << e.what() << '\n';
        return UsageError;
    } catch (const std::exception& e) {
        std::cerr << "ovena-cli convert: " << r.input << ": " << e.what() << '\n';
        return ExportFailed;
    }
    try {
        readCsvTable(csv, grid, separator);
    } catch (const std::exception& e) {
        std::cerr << "ovena-cli convert: " << r.input << ": " << e.what() << '\n';
        return ExportFailed;
    }
    SettingsStore settings = loadSettings("ovena-cli");
    TerminalUi ui;
    ui.saveFileName = r.output;
    GioShell shell;
    ExportServices services{ui, shell, settings, localeSettings(settings)};
    TExportStringGrid component(services, nullptr, &grid);
    try {
        configure(component, r);
    } catch (const UsageProblem& e) {
        std::cerr << "ovena-cli convert: " << e.what() << '\n';
        return UsageError;
    }
    component.ExportType = formats().at(r.format);
    component.ViewOnly = false;
    component.ExportFile = r.output;
    try {
        return component.Export() ? Success : ExportFailed;
    } catch (const std::exception& e) {
        std::cerr << "ovena-cli convert: " << cp1252ToUtf8(e.what()) << '\n';
        return ExportFailed;
    }
}

std::string optionNames() {
    std::string names;
    for (int i = 0; i < ExportOptionCount; ++i)
        names += (i ? ", " : "") + std::string(optionName(static_cast<TExportOption>(i)));
    return names;
}

} // namespace

void addConvertCommand(CLI::App& app, int& status) {
    auto request = std::make_shared<ConvertRequest>();
    CLI::App* cmd = app.add_subcommand(
        "convert",
        "Export a table from a CSV file (RFC 4180, bytes kept as they are; the first record "
        "holds the column captions and shows the separator: \",\", \";\" or TAB) in one of the "
        "export formats.");
    cmd->add_option("INPUT", request->input, "CSV file with the table")
        ->required()
        ->check(CLI::ExistingFile);
    std::vector<std::string> formatNames;
    for (const auto& [name, type] : formats())
        formatNames.push_back(name);
    cmd->add_option("--separator", request->separator,
                    "Field separator of INPUT, one character or \"tab\" (default: the one its "
                    "first record uses)");
    cmd->add_option("--format", request->format,
                    "Export format: html, word, excel, xlsx, text, rtf, csv, tab, dif or sylk "
                    "(formats whose writer is not built in fail with a message)")
        ->required()
        ->check(CLI::IsMember(formatNames));
    cmd->add_option("--output", request->output,
                    "File to write; an existing file is replaced only when the export succeeds")
        ->required();
    cmd->add_option("--title", request->title, "Title line above the table");
    cmd->add_option("--header", request->header, "Line written before the table (repeatable)");
    cmd->add_option("--footer", request->footer,
                    "Line written after the table (repeatable); %.0f stands for the number of "
                    "exported rows");
    cmd->add_option("--options", request->options,
                    "Comma list of export options replacing the default set "
                    "(NumberRows,ShowColHeaders,ShowClipboardMsg,ShowProgress,TimeStamp); "
                    "\"\" for none. Options: " +
                        optionNames());
    cmd->add_option("--html-template", request->htmlTemplate,
                    "Built-in HTML look: htClassic, htSimple (default), htPlain, htMurky, "
                    "htMS_Money, htColorful, htGray, htOlive, htBW");
    cmd->add_option("--html-options", request->htmlOptions,
                    "Comma list of HTML options replacing the default set "
                    "(htColHeadersBold,htAutoLink,htOddRowColoring): htShowGridLines, "
                    "htColHeadersBold, htAutoLink, htOddRowColoring, htDisplayTitle, "
                    "htHorzRules, htIgnoreLineBreaks");
    cmd->add_option("--html-custom-template", request->htmlCustomTemplate,
                    "Custom HTML colour template: eleven fields separated by \";\"");
    cmd->add_option("--col-widths", request->colWidths,
                    "Comma list of column widths in characters for the fixed-width layouts and the "
                    "xlsx workbook, one per exported column; an empty entry keeps the default "
                    "width");
    cmd->add_option("--captions", request->captions,
                    "Comma list of captions replacing those of the input, by column");
    cmd->add_option("--page-header", request->pageHeader, "Page header of the Excel workbooks");
    cmd->add_option("--page-footer", request->pageFooter,
                    "Page footer of the Excel workbooks (default \"Page &P of &N\")");
    cmd->add_flag("--print-gridlines", request->printGridlines,
                  "Excel workbooks: print the grid lines");
    cmd->add_flag("--print-headings", request->printHeadings,
                  "Excel workbook (excel): print the row and column headings (the xlsx "
                  "workbook prints its caption row on every page instead)");
    cmd->add_flag("--raw-cells", request->rawCells,
                  "CSV and tab files: write texts starting with =, +, -, @ as they are (by "
                  "default they get a leading apostrophe, so that spreadsheets do not run them)");
    cmd->add_option("--margins", request->margins,
                    "Word and RTF page margins L,R,T,B in twentieths of a point (default "
                    "1250,1250,1000,1000)");
    cmd->footer("The locale (decimal separator, date and time formats, list separator) comes "
                "from the key \"Control Panel\\International\" of the settings store, else "
                "from the process locale (LANG, LC_*).");
    cmd->callback([request, &status] { status = runConvert(*request); });
}

} // namespace ovena::cli
