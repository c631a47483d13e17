#include "export/RTFText.h"

#include "export/TextServices.h"

#include <array>

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
    R"(}\trowd\trgaph108\trleft-108\trbrdrt\brdrs\brdrw30\brdrcf1\trbrdrb\brdrs\brdrw30\brdrcf1)"
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

} // namespace

std::string rtfPrologue(unsigned leftMargin, unsigned rightMargin, unsigned topMargin,
                        unsigned bottomMargin) {
    std::string out;
    for (std::string_view line : PrologueHead)
        out.append(line).append("\r\n");
    out += "\\margl" + std::to_string(leftMargin) + "\\margr" + std::to_string(rightMargin) +
           "\\margt" + std::to_string(topMargin) + "\\margb" + std::to_string(bottomMargin);
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

std::vector<std::string> rtfRowDefinition(RTFRowLayout layout, const std::vector<int>& boundaries) {
    const RowLayoutPieces& pieces = piecesOf(layout);
    if (boundaries.empty())
        return {std::string(pieces.prefix) + std::string(pieces.suffix)};
    std::vector<std::string> lines;
    const std::size_t last = boundaries.size() - 1;
    for (std::size_t i = 0; i <= last; ++i) {
        std::string line;
        if (i == 0)
            line += pieces.prefix;
        const bool outer = i == 0 || i == last;
        line += withNumber(outer ? pieces.cell : pieces.middle, boundaries[i]);
        if (i == last)
            line += pieces.suffix;
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace ovena
