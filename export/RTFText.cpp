#include "export/RTFText.h"

#include "export/TextServices.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <numeric>
#include <utility>

namespace ovena {

namespace {

// The prologue's lines before and after the margins line.
constexpr std::array<std::string_view, 4> PrologueHead = {
    R"({\rtf1\ansi\ansicpg1252\uc1\deff0\deflang1033\deflangfe1033{\fonttbl{\f0\froman\fcharset0)"
    R"(\fprq2{\*\panose 02020603050405020304}Times New Roman;}{\f1\fswiss\fcharset0\fprq2)"
    R"({\*\panose 020b0604020202020204}Arial;}}{\colortbl;\red0\green0\blue0;)",
    R"(\red0\green0\blue255;\red0\green255\blue255;\red0\green255\blue0;\red255\green0\blue255;)"
    R"(\red255\green0\blue0;\red255\green255\blue0;\red255\green255\blue255;\red0\green0\blue128;)"
    R"(\red0\green128\blue128;\red0\green128\blue0;\red128\green0\blue128;)",
    R"(\red128\green0\blue0;\red128\green128\blue0;\red128\green128\blue128;)"
    R"(\red192\green192\blue192;}{\stylesheet{\nowidctlpar\widctlpar\adjustright\fs20\cgrid)"
    R"(\snext0 Normal;}{\s1\keepn\nowidctlpar\widctlpar\outlinelevel0\adjustright\b\f1\fs28)"
    R"(\cgrid)",
    R"(\sbasedon0\snext0 heading 1;}{\*\cs10\additive Default Paragraph Font;}}{\info)"
    R"({\nofcharsws0}{\vern71}}\widowctrl\ftnbj\aenddoc\hyphcaps0\formshade\viewkind4\viewscale109)"
    R"(\viewzk2\pgbrdrhead\pgbrdrfoot\fet0\sectd\linex0\endnhere\sectdefaultcl )",
};
constexpr std::array<std::string_view, 4> PrologueTail = {
    R"({\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang)",
    R"({\pntxta .}}{\*\pnseclvl2\pnucltr\pnstart1\pnindent720\pnhang{\pntxta .}})"
    R"({\*\pnseclvl3\pndec\pnstart1\pnindent720\pnhang{\pntxta .}}{\*\pnseclvl4\pnlcltr\pnstart1)"
    R"(\pnindent720\pnhang{\pntxta )}}{\*\pnseclvl5\pndec\pnstart1\pnindent720\pnhang{\pntxtb (})",
    R"({\pntxta )}}{\*\pnseclvl6\pnlcltr\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}})"
    R"({\*\pnseclvl7\pnlcrm\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}}{\*\pnseclvl8)"
    R"(\pnlcltr\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}}{\*\pnseclvl9)",
    R"(\pnlcrm\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}}\pard)",
};

struct RowLayoutPieces {
    std::string_view prefix;
    std::string_view cell;   // first and last column; holds the one "%d"
    std::string_view middle; // columns between them; holds the one "%d"
    std::string_view suffix;
};

constexpr std::string_view CaptionCell =
    R"(\brdrs\brdrw30\brdrcf1\clbrdrb\brdrs\brdrw15\brdrcf1\cltxlrtb\cellx%d\clvertalt\clbrdrt)";
constexpr std::string_view DataRowCell = R"(\clvertalt\cltxlrtb\cellx%d)";

constexpr RowLayoutPieces CaptionLayout = {
    R"(}\trowd\trhdr\trgaph108\trleft-108\trbrdrt\brdrs\brdrw30\brdrcf1\trbrdrb\brdrs\brdrw30\brdrcf1)"
    R"(\clvertalt\clbrdrt)",
    CaptionCell,
    CaptionCell,
    R"(\pard\nowidctlpar\widctlpar\intbl\adjustright{\b\f1\fs16)",
};

constexpr RowLayoutPieces FirstDataRowLayout = {
    R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright {\i\f1\fs16\row}\trowd\trgaph108)"
    R"(\trleft-108\trbrdrt\brdrs\brdrw30\brdrcf1\trbrdrb\brdrs\brdrw30\brdrcf1)",
    DataRowCell,
    DataRowCell,
    R"(\pard\nowidctlpar\widctlpar\intbl\adjustright {\f1\fs16)",
};

constexpr RowLayoutPieces LastDataRowLayout = {
    R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16\row}\trowd\trgaph108\trleft-108)"
    R"(\trbrdrt\brdrs\brdrw30\brdrcf1\trbrdrb\brdrs\brdrw30\brdrcf1\clvertalt\clbrdrb)",
    R"(\brdrs\brdrw30\brdrcf1\cltxlrtb\cellx%d)",
    R"(\brdrs\brdrw30\brdrcf1\cltxlrtb\cellx%d\clvertalt\clbrdrb)",
    R"(\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16)",
};

const RowLayoutPieces& piecesOf(RTFRowLayout layout) {
    switch (layout) {
    case RTFRowLayout::Caption:
        return CaptionLayout;
    case RTFRowLayout::FirstDataRow:
        return FirstDataRowLayout;
    case RTFRowLayout::LastDataRow:
        break;
    }
    return LastDataRowLayout;
}

// The pattern with its one "%d" replaced by the number.
std::string withNumber(std::string_view pattern, long number) {
    const std::size_t at = pattern.find("%d");
    return std::string(pattern.substr(0, at)) + std::to_string(number) +
           std::string(pattern.substr(at + 2));
}

// The page footer: the page number and the page count, centred.
constexpr std::string_view PageFooter =
    R"({\footer\pard\plain\qc\f1\fs16 Page {\field{\*\fldinst PAGE}{\fldrslt 1}} of )"
    R"({\field{\*\fldinst NUMPAGES}{\fldrslt 1}}\par})";

constexpr std::string_view DefaultGap = "\\trgaph108\\trleft-108";

} // namespace

bool usesLetterPaper(std::string_view localeText) {
    unsigned identifier = 0;
    const auto [end, error] =
        std::from_chars(localeText.data(), localeText.data() + localeText.size(), identifier, 16);
    if (error != std::errc() || end != localeText.data() + localeText.size())
        return false;
    // en-US, es-US, en-CA, fr-CA, es-MX.
    constexpr std::array<unsigned, 5> LetterLocales = {0x0409, 0x540A, 0x1009, 0x0C0C, 0x080A};
    return std::find(LetterLocales.begin(), LetterLocales.end(), identifier & 0xFFFF) !=
           LetterLocales.end();
}

RTFPage rtfPage(bool letter, int tableWidth, int horizontalMargins) {
    RTFPage page;
    if (letter) {
        page.width = 12240;
        page.height = 15840;
    }
    if (tableWidth > page.width - horizontalMargins) {
        std::swap(page.width, page.height);
        page.landscape = true;
    }
    return page;
}

std::string rtfPrologue(unsigned leftMargin, unsigned rightMargin, unsigned topMargin,
                        unsigned bottomMargin, const RTFPage& page) {
    std::string out;
    for (std::string_view line : PrologueHead)
        out.append(line).append("\r\n");
    out += "\\margl" + std::to_string(leftMargin) + "\\margr" + std::to_string(rightMargin) +
           "\\margt" + std::to_string(topMargin) + "\\margb" + std::to_string(bottomMargin);
    out += "\\paperw" + std::to_string(page.width) + "\\paperh" + std::to_string(page.height);
    if (page.landscape)
        out += "\\landscape\\lndscpsxn";
    out += PageFooter;
    for (std::string_view line : PrologueTail)
        out.append("\r\n").append(line);
    return out;
}

std::string rtfEscape(std::string_view text) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (code >= 128) {
            out += "\\'";
            out += Hex[code >> 4];
            out += Hex[code & 15];
        } else {
            out += c;
        }
    }
    return NormalizeBreaks(out, "\\tab ", "\\par\r\n");
}

std::string rtfTitleLine(std::string_view escapedTitle) {
    return R"(\plain\s1\keepn\nowidctlpar\widctlpar\outlinelevel0\adjustright\b\f1\fs28\cgrid {)" +
           std::string(escapedTitle) + R"(}\fs16\par\par)";
}

std::string rtfClosingLine(std::string_view escapedFooter) {
    return R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16\row})"
           R"(\pard\nowidctlpar\widctlpar\adjustright{\f1\fs16\par )" +
           std::string(escapedFooter) + "}}";
}

std::vector<int> rtfCellBoundaries(const std::vector<int>& columnWidths, bool numberRows) {
    std::vector<int> boundaries;
    int x = 0;
    for (std::size_t i = 0; i < columnWidths.size(); ++i) {
        const int width = (i == 0 && numberRows) ? 6 : columnWidths[i] + 3;
        x += width * 90;
        boundaries.push_back(x);
    }
    return boundaries;
}

RTFColumns rtfFitColumns(const std::vector<int>& columnWidths, bool numberRows,
                         int printableWidth) {
    RTFColumns columns;
    columns.boundaries = rtfCellBoundaries(columnWidths, numberRows);
    if (columns.boundaries.empty() || columns.boundaries.back() <= printableWidth)
        return columns;
    // A column's text length is its width less the padding of 4 characters beyond its caption.
    constexpr int Padding = 4;
    constexpr int Narrowest = 5;
    std::vector<int> weights;
    for (std::size_t i = 0; i < columnWidths.size(); ++i)
        weights.push_back(i == 0 && numberRows ? Narrowest
                                               : std::max(columnWidths[i] - Padding, Narrowest));
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    double x = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        x += printableWidth * weights[i] / total;
        columns.boundaries[i] = static_cast<int>(x);
    }
    columns.gap = 30;
    columns.fontSize = 12;
    return columns;
}

std::string rtfWithCellFont(std::string_view opening, const RTFColumns& columns) {
    std::string out(opening);
    const std::string standard = "\\fs" + std::to_string(RTFCellFontSize);
    if (const std::size_t at = out.rfind(standard); at != std::string::npos)
        out.replace(at, standard.size(), "\\fs" + std::to_string(columns.fontSize));
    return out;
}

std::vector<std::string> rtfRowDefinition(RTFRowLayout layout, const RTFColumns& columns) {
    const RowLayoutPieces& pieces = piecesOf(layout);
    std::string prefix(pieces.prefix);
    if (columns.gap != RTFCellGap)
        prefix.replace(prefix.find(DefaultGap), DefaultGap.size(),
                       "\\trgaph" + std::to_string(columns.gap) + "\\trleft-" +
                           std::to_string(columns.gap));
    const std::vector<int>& boundaries = columns.boundaries;
    if (boundaries.empty())
        return {prefix + rtfWithCellFont(pieces.suffix, columns)};
    std::vector<std::string> lines;
    const std::size_t last = boundaries.size() - 1;
    for (std::size_t i = 0; i <= last; ++i) {
        std::string line;
        if (i == 0)
            line += prefix;
        const bool outer = i == 0 || i == last;
        line += withNumber(outer ? pieces.cell : pieces.middle, boundaries[i]);
        if (i == last)
            line += rtfWithCellFont(pieces.suffix, columns);
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace ovena
