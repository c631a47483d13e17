// ovena-cli convert: exports a table read from a CSV file through the export engine.

#include "Commands.h"
#include "CsvTable.h"
#include "TerminalUi.h"

#include "export/EC_SGrid.h"
#include "export/ExportError.h"

#include "platform/Cp1252.h"
#include "platform/Shell.h"
#include "session/Settings.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace ovena::cli {

namespace {

// A mistake in what the user asked for (exit status 2).
struct UsageProblem : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace

const std::map<std::string, TExportType>& convertFormats() {
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

namespace {

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

} // namespace

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
    component.ExportType = convertFormats().at(r.format);
    component.ViewOnly = false;
    component.ExportFile = r.output;
    try {
        return component.Export() ? Success : ExportFailed;
    } catch (const std::exception& e) {
        std::cerr << "ovena-cli convert: " << cp1252ToUtf8(e.what()) << '\n';
        return ExportFailed;
    }
}

std::string exportOptionNames() {
    std::string names;
    for (int i = 0; i < ExportOptionCount; ++i)
        names += (i ? ", " : "") + std::string(optionName(static_cast<TExportOption>(i)));
    return names;
}

} // namespace ovena::cli
