#include "support/TestEnvironment.h"

#include "platform/ConfigPaths.h"
#include "platform/LocaleSettings.h"
#include "platform/SettingsStore.h"

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace ovena::test {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs ovena-cli with the arguments, as a user would from a shell.
CliRun ovenaCli(const std::vector<std::string>& args) {
    const std::string folder = sandboxFolder();
    const std::string outPath = folder + "/stdout", errPath = folder + "/stderr";
    std::vector<std::string> all{OVENA_CLI_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    CliRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

class Convert : public ::testing::Test {
protected:
    Convert() {
        folder = sandboxFolder() + "/work";
        std::filesystem::create_directories(folder);
        // The measurement table as the main window would hand it over; "ä" as Windows-1252.
        writeFile(input(), "Date,O2,Fuel,Note\r\n"
                           "09.12.2026,\"3,5\",Oil,\"K\xE4ltetest\"\r\n"
                           "10.12.2026,\"12,25\",Natural gas,\"say \"\"hi\"\"\"\r\n"
                           "11.12.2026,4,Wood,\"two\r\nlines\"\r\n");
        // A German locale in the settings store.
        SettingsStore store(settingsFile());
        store.writeString(InternationalKey, "sDecimal", ",");
        store.writeString(InternationalKey, "sThousand", ".");
        store.writeString(InternationalKey, "sShortDate", "dd.MM.yyyy");
        store.writeString(InternationalKey, "sTimeFormat", "HH:mm:ss");
        std::string error;
        EXPECT_TRUE(store.save(&error)) << error;
    }
    std::string input() const { return folder + "/table.csv"; }
    std::string output(const std::string& name = "out.txt") const { return folder + "/" + name; }

    std::string folder;
};

TEST_F(Convert, HelpDocumentsTheCommandAndEveryOption) {
    const CliRun top = ovenaCli({"--help"});
    EXPECT_EQ(top.status, 0);
    EXPECT_NE(top.out.find("convert"), std::string::npos);
    const CliRun help = ovenaCli({"convert", "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--format",
                               "--output",
                               "--title",
                               "--header",
                               "--footer",
                               "--options",
                               "--html-template",
                               "--html-options",
                               "--html-custom-template",
                               "--col-widths",
                               "--captions",
                               "--page-header",
                               "--page-footer",
                               "--print-gridlines",
                               "--print-headings",
                               "--margins",
                               "--separator",
                               "--raw-cells",
                               "NumberRows",
                               "DetailedMode",
                               "csv",
                               "xlsx",
                               "sylk"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(Convert, FixedWidthTextWithTitleHeaderFooterAndWidths) {
    const CliRun run = ovenaCli({"convert", input(), "--format", "text", "--output", output(),
                                 "--options", "NumberRows,ShowColHeaders", "--title", "Test run",
                                 "--header", "Halvoer Safety TEV GmbH", "--header", "Germany",
                                 "--footer", "%.0f rows", "--col-widths", "10,6,,12"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(output()), "Test run\r\n--------\r\n\r\n"
                                  "Halvoer Safety TEV GmbH\r\nGermany\r\n\r\n"
                                  "Item Date       O2     Fuel  Note        \r\n"
                                  "-----------------------------------------\r\n"
                                  "   1 09.12.2026    3,5 Oil   K\xE4ltetest   \r\n"
                                  "   2 10.12.2026  12,25 Natu- say \"hi\"    \r\n"
                                  "   3 11.12.2026      4 Wood  twolines    \r\n"
                                  "-----------------------------------------\r\n\r\n"
                                  "3 rows\r\n\r\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(Convert, CsvUnderTheStoredLocale) {
    const CliRun run =
        ovenaCli({"convert", input(), "--format", "csv", "--output", output("out.csv"), "--options",
                  "ShowColHeaders", "--captions", "Datum,,Brennstoff"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(output("out.csv")),
              "\"Datum\";\"\";\"Brennstoff\";\"Note\"\r\n"
              "\"09.12.2026\";3,5;\"Oil\";\"K\xE4ltetest\"\r\n"
              "\"10.12.2026\";12,25;\"Natural gas\";\"say \"\"hi\"\"\"\r\n"
              "\"11.12.2026\";4;\"Wood\";\"twolines\"\r\n");
}

TEST_F(Convert, CsvUnderAProcessLocaleWithItsOwnListSeparator) {
    // Swiss German: a decimal point, and ";" for lists.
    std::filesystem::remove(settingsFile());
    setenv("LC_ALL", "de_CH.UTF-8", 1);
    const CliRun run = ovenaCli(
        {"convert", input(), "--format", "csv", "--output", output("out.csv"), "--options", ""});
    unsetenv("LC_ALL");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(output("out.csv")), "\"09.12.2026\";\"3,5\";\"Oil\";\"K\xE4ltetest\"\r\n"
                                           "\"10.12.2026\";\"12,25\";\"Natural gas\";\"say "
                                           "\"\"hi\"\"\"\r\n"
                                           "\"11.12.2026\";4;\"Wood\";\"twolines\"\r\n");
}

TEST_F(Convert, TabWithoutAnyOption) {
    const CliRun run =
        ovenaCli({"convert", input(), "--format", "tab", "--output", output(), "--options", ""});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(output()), "09.12.2026\t3,5\tOil\tK\xE4ltetest\r\n"
                                  "10.12.2026\t12,25\tNatural gas\tsay \"hi\"\r\n"
                                  "11.12.2026\t4\tWood\ttwolines\r\n");
}

TEST_F(Convert, DetailedTextThroughTheOptions) {
    const CliRun run = ovenaCli({"convert", input(), "--format", "text", "--output", output(),
                                 "--options", "DetailedMode,ShowColHeaders"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string first =
        "Date: 09.12.2026\r\nO2  : 3,5\r\nFuel: Oil\r\nNote: K\xE4ltetest\r\n\r\n";
    EXPECT_EQ(readFile(output()).substr(0, first.size()), first);
}

TEST_F(Convert, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> mistakes{
        {"convert", input(), "--format", "pdf", "--output", output()},
        {"convert", input(), "--format", "text"},
        {"convert", folder + "/missing.csv", "--format", "text", "--output", output()},
        {"convert", input(), "--format", "text", "--output", output(), "--options", "Fast"},
        {"convert", input(), "--format", "text", "--output", output(), "--col-widths", "5,0"},
        {"convert", input(), "--format", "text", "--output", output(), "--margins", "1,2,3"},
        {"convert", input(), "--format", "text", "--output", output(), "--html-custom-template",
         "a;b"},
        {},
    };
    for (const auto& args : mistakes) {
        const CliRun run = ovenaCli(args);
        EXPECT_EQ(run.status, 2) << (args.size() > 3 ? args.back() : "no arguments");
        EXPECT_FALSE(std::filesystem::exists(output()));
    }
    const CliRun widths = ovenaCli(
        {"convert", input(), "--format", "text", "--output", output(), "--col-widths", "5,0"});
    EXPECT_NE(widths.err.find("\"0\" is an Invalid Column Width."), std::string::npos);
}

TEST_F(Convert, ExcelWorkbookWithPageSetupFromTheOptions) {
    const CliRun run = ovenaCli({"convert", input(), "--format", "excel", "--output",
                                 output("out.xls"), "--print-gridlines", "--page-footer", "p&P"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string book = readFile(output("out.xls"));
    // PRINTGRIDLINES on, PRINTHEADERS off, FOOTER with the given text.
    EXPECT_NE(book.find(std::string("\x2B\x00\x02\x00\x01\x00", 6)), std::string::npos);
    EXPECT_NE(book.find(std::string("\x2A\x00\x02\x00\x00\x00", 6)), std::string::npos);
    EXPECT_NE(book.find(std::string("\x15\x00\x04\x00\x03p&P", 7)), std::string::npos);
}

TEST_F(Convert, XlsxWorkbook) {
    const CliRun run =
        ovenaCli({"convert", input(), "--format", "xlsx", "--output", output("out.xlsx")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string book = readFile(output("out.xlsx"));
    EXPECT_EQ(book.substr(0, 4), "PK\x03\x04") << "a zip container";
    EXPECT_NE(book.find("xl/worksheets/sheet1.xml"), std::string::npos);
}

TEST_F(Convert, FailedExportKeepsTheExistingFile) {
    writeFile(output(), "keep me");
    const CliRun run = ovenaCli(
        {"convert", input(), "--format", "text", "--output", output(), "--footer", "%d rows"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("Export failed. Try again with a different file name."),
              std::string::npos);
    EXPECT_EQ(readFile(output()), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
}

TEST_F(Convert, InputWithOnlyCaptionsHasNoData) {
    writeFile(input(), "Date,O2\r\n");
    const CliRun run = ovenaCli({"convert", input(), "--format", "csv", "--output", output()});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("There is no Data to Export."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(output()));
}

TEST_F(Convert, InputWithLineFeedsShortRecordsAndNoFinalBreak) {
    writeFile(input(), "A,B,C\n1,\"x,y\"\n\"\",,\"q\"\"\"\n2,z,w");
    const CliRun run = ovenaCli({"convert", input(), "--format", "tab", "--output", output(),
                                 "--options", "ShowColHeaders"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(output()), "A\tB\tC\r\n1\tx,y\t\r\n\t\tq\"\r\n2\tz\tw\r\n");
}

// The program's own CSV files: ";" under a decimal comma, "," otherwise; TAB from tab files.
TEST_F(Convert, TheInputsSeparatorIsFoundOrTaken) {
    struct Case {
        std::string input;
        std::vector<std::string> separator;
    };
    const Case cases[] = {
        {"\"Date\";\"O2\"\r\n\"09.12.2026\";3,5\r\n", {}},
        {"Date,O2\r\n09.12.2026,\"3,5\"\r\n", {}},
        {"Date\tO2\r\n09.12.2026\t3,5\r\n", {}},
        {"\"D;ate\",O2\r\n09.12.2026,\"3,5\"\r\n", {}},
        {"Date|O2\r\n09.12.2026|3,5\r\n", {"--separator", "|"}},
        {"Date\tO2\r\n09.12.2026\t3,5\r\n", {"--separator", "tab"}},
    };
    for (const Case& e : cases) {
        writeFile(input(), e.input);
        std::vector<std::string> args{"convert",  input(),  "--format",  "tab",
                                      "--output", output(), "--options", "ShowColHeaders"};
        args.insert(args.end(), e.separator.begin(), e.separator.end());
        const CliRun run = ovenaCli(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string out = readFile(output());
        EXPECT_EQ(out.substr(out.find("\r\n")), "\r\n09.12.2026\t3,5\r\n") << e.input;
    }
    const CliRun wrong = ovenaCli(
        {"convert", input(), "--format", "tab", "--output", output("x.txt"), "--separator", ";;"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--separator takes one character"), std::string::npos);
}

TEST_F(Convert, FormulaTextsAreDefusedUnlessRawCellsAreAsked) {
    writeFile(input(), "Fuel,O2\r\n=1+1,-5\r\n@SUM(A1:A2),\"+3,2\"\r\n");
    for (const bool raw : {false, true}) {
        std::vector<std::string> args{"convert",  input(),  "--format",  "tab",
                                      "--output", output(), "--options", ""};
        if (raw)
            args.push_back("--raw-cells");
        const CliRun run = ovenaCli(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readFile(output()), raw ? "=1+1\t-5\r\n@SUM(A1:A2)\t+3,2\r\n"
                                          : "'=1+1\t-5\r\n'@SUM(A1:A2)\t+3,2\r\n");
    }
}

TEST_F(Convert, AnExcelWorkbookBeyondItsRowsSaysWhyOnStandardError) {
    std::string csv = "N\r\n";
    for (int i = 1; i <= 16384; ++i)
        csv += std::to_string(i) + "\r\n";
    writeFile(input(), csv);
    writeFile(output("out.xls"), "keep me");
    const CliRun run = ovenaCli({"convert", input(), "--format", "excel", "--output",
                                 output("out.xls"), "--options", "ShowColHeaders"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("Export Failed."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("The table has 16385 rows; the Excel workbook holds 16,384: use the "
                           "Excel Workbook (xlsx)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(readFile(output("out.xls")), "keep me");
}

TEST_F(Convert, UnclosedQuoteInTheInputIsReported) {
    writeFile(input(), "Date,O2\r\n\"09.12.2026,3\r\n");
    const CliRun run = ovenaCli({"convert", input(), "--format", "csv", "--output", output()});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("not closed"), std::string::npos);
}

} // namespace
} // namespace ovena::test
