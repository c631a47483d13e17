// ovena-cli readout against tev640-sim: a generated memory of 200 records exported to CSV and
// checked against the table computed here from the simulator's memory file, the stored settings
// and the flags that override them, the exit statuses and the progress bar.

#include "InstrumentCli.h"
#include "support/SimulatedInstrument.h"
#include "support/TestEnvironment.h"

#include "platform/ConfigPaths.h"
#include "platform/SettingsStore.h"
#include "sim/MemoryFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include <gmock/gmock.h>
#include <regex>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

// The field catalogue as the configuration page describes it: headings, test headings, units
// and the value of a measurement line each field shows (0: not a plain value).
struct Field {
    const char* heading;
    const char* testHeading;
    const char* unit;
    int value;
};
const std::array<Field, 24> Catalogue{{
    {"Serial No.", "N.matricola", "", 0},
    {"Cust.No.", "Codice impianto", "", 0},
    {"Time", "Data/ora", "", 0},
    {"Fuel", "Combustibile", "", 0},
    {"TA", "T Aria Comb.", "/ C\xB0", 3},
    {"TG", "T Fumi", "/ C\xB0", 4},
    {"TB", "T Caldaia", "/ C\xB0", 5},
    {"O2", "O2", "/ Vol%", 6},
    {"CO2", "CO2", "/ Vol%", 11},
    {"CO", "CO", "/ ppm", 7},
    {"CO-0%", "CO-0%", "/ ppm", 12},
    {"NO", "NO", "/ ppm", 8},
    {"NOx", "NOx", "/ ppm", 21},
    {"SO2", "SO2", "/ ppm", 18},
    {"NO2", "NO2", "/ ppm", 19},
    {"P", "Press.", "/ hPa", 9},
    {"Lambda", "Indice aria", "", 10},
    {"Qa", "Perdita", "/ %", 13},
    {"Eta", "Rendimento", "/ %", 0},
    {"St 1", "N.Bacharach", "", 14},
    {"St 2", "St 2", "", 15},
    {"St 3", "St 3", "", 16},
    {"Oil der.", "Oil der.", "", 17},
    {"Draft[corr]", "Tiraggio corr.", "/ Pa", 0},
}};

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(';', start)) != std::string::npos; start = end + 1)
        items.push_back(line.substr(start, end - start));
    items.push_back(line.substr(start));
    return items;
}

// The rows of the table (label column, the 24 fields, the empty last column) for a memory,
// every field ticked, date layout "ccyy-mm-dd", four-digit year, decimal point.
std::vector<std::vector<std::string>> expectedTable(const sim::InstrumentMemory& memory) {
    bool anyTest = false;
    for (const sim::Record& record : memory.records)
        for (const std::string& line : record)
            anyTest = anyTest || std::stoi(split(line)[0]) >= 21;

    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(26));
    rows[0][0] = anyTest ? "Prova" : "";
    for (std::size_t i = 0; i < Catalogue.size(); ++i)
        rows[0][i + 1] = std::string(anyTest ? Catalogue[i].testHeading : Catalogue[i].heading) +
                         "  " + Catalogue[i].unit;

    const int fuels = static_cast<int>(memory.fuelNames.size());
    std::string customer, draft;
    bool rowOpen = false, afterTest = false;
    for (const sim::Record& record : memory.records)
        for (const std::string& line : record) {
            const std::vector<std::string> v = split(line);
            const int type = std::stoi(v[0]);
            if (type == 1) {
                customer = v[1];
                rowOpen = true;
                rows.emplace_back(26);
                rows.back()[1] = memory.serial;
                rows.back()[2] = customer;
            } else if (type == 12) {
                draft = v[4];
            } else if (type == 2 || (type >= 21 && type <= 23)) {
                if (!rowOpen) {
                    rows.emplace_back(26);
                    rows.back()[1] = memory.serial;
                    rows.back()[2] = customer;
                }
                rowOpen = false;
                std::vector<std::string>& row = rows.back();
                if (type >= 21) {
                    row[0] = "Pr." + std::to_string(type - 20);
                    afterTest = true;
                } else if (afterTest) {
                    row[0] = "Med.";
                    afterTest = false;
                }
                const std::string& d = v[1];
                row[3] = "20" + d.substr(0, 2) + "-" + d.substr(2, 2) + "-" + d.substr(4, 2) +
                         "  " + d.substr(6, 2) + ":" + d.substr(8, 2);
                const int fuel = std::clamp(std::stoi(v[2]), 1, fuels);
                row[4] = memory.fuelNames[static_cast<std::size_t>(fuel - 1)];
                for (std::size_t i = 4; i < 23; ++i)
                    if (Catalogue[i].value > 0)
                        row[i + 1] = v[static_cast<std::size_t>(Catalogue[i].value)];
                const double qa = std::stod(v[13]);
                if (qa >= 0.1) {
                    char eta[16];
                    std::snprintf(eta, sizeof eta, "%.1f", 100.0 - qa);
                    row[19] = eta;
                }
                if (type == 2) {
                    row[24] = draft;
                    draft.clear();
                }
            }
        }
    return rows;
}

// A CSV line as written under a decimal-point locale: numbers as they are, texts quoted.
std::string csvLine(const std::vector<std::string>& cells, bool captions) {
    static const std::regex number(R"(\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)");
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ',';
        if (!captions && (i == 0 || std::regex_match(cells[i], number)))
            line += cells[i];
        else
            line += '"' + cells[i] + '"';
    }
    return line + "\r\n";
}

class Readout : public ::testing::Test {
protected:
    // The simulator on COM6 with these options.
    void startSim(std::vector<std::string> options) {
        sim = std::make_unique<SimulatedInstrument>(6, "", std::move(options));
    }

    // The store as the window leaves it, with a decimal-point locale.
    void storeSettings(const std::vector<std::pair<std::string, std::string>>& values) {
        SettingsStore store(settingsFile());
        store.writeString("Control Panel\\International", "sDecimal", ".");
        for (const auto& [name, text] : values)
            store.writeString("Software\\TEV\\Ovena\\Settings", name, text);
        ASSERT_TRUE(store.save());
    }

    std::string output = sandboxFolder() + "/readout.csv";
    std::unique_ptr<SimulatedInstrument> sim;
};

TEST_F(Readout, TwoHundredGeneratedRecordsGiveThePredictedTable) {
    const std::string dump = sandboxFolder() + "/memory.txt";
    startSim({"--records", "200", "--seed", "7", "--fuels", "12", "--dump-memory", dump});
    storeSettings({{"GroupBox2_Tag", "6"}});

    const CliResult run =
        runCli({"readout", "--format", "csv", "--output", output, "--decimal", "point",
                "--date-layout", "3", "--year", "ccyy", "--headline", "--units", "--number-rows"});
    ASSERT_EQ(run.status, 0) << run.err;

    const auto table = expectedTable(sim::loadMemoryFile(dump));
    ASSERT_GT(table.size(), 200u);
    std::vector<std::string> caption{"Item"};
    caption.insert(caption.end(), table[0].begin(), table[0].end());
    std::string expected = csvLine(caption, true);
    for (std::size_t r = 1; r < table.size(); ++r) {
        std::vector<std::string> row{std::to_string(r)};
        row.insert(row.end(), table[r].begin(), table[r].end());
        expected += csvLine(row, false);
    }
    EXPECT_EQ(readFile(output), expected);
    EXPECT_THAT(run.err,
                HasSubstr(std::to_string(table.size() - 1) + " rows exported to " + output));
    EXPECT_THAT(run.err, Not(HasSubstr("["))) << "no progress bar when stderr is no terminal";
}

TEST_F(Readout, StoredSettingsApplyAndFlagsAreNeverSaved) {
    startSim({"--records", "2", "--seed", "3"});
    storeSettings(
        {{"GroupBox2_Tag", "6"}, {"CBHeader_Checked", "True"}, {"RadioGroup3_ItemIndex", "1"}});
    SettingsStore store(settingsFile());
    store.load();
    for (int field = 0; field < 24; ++field)
        store.writeInteger("\\Software\\TEV\\Ovena\\Fields",
                           "OVENA\\FIELDS\\FIELD" + std::string(field < 10 ? "0" : "") +
                               std::to_string(field),
                           field == 1 || field == 7 ? 1 : 0);
    ASSERT_TRUE(store.save());
    const std::string stored = readFile(settingsFile());

    CliResult run = runCli({"readout", "--format", "tab", "--output", output});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> rows = lines(readFile(output));
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0], "\tCust.No.\tO2\t\r") << "headline from the store, two fields";
    EXPECT_THAT(rows[1], testing::MatchesRegex("\t[0-9]+\t[0-9]+\\.[0-9]\t\r"));

    run = runCli({"readout", "--format", "tab", "--output", output, "--no-headline", "--decimal",
                  "comma", "--port", "6"});
    ASSERT_EQ(run.status, 0) << run.err;
    rows = lines(readFile(output));
    EXPECT_THAT(rows[0], testing::MatchesRegex("\t[0-9]+\t[0-9]+,[0-9]\t\r"));
    EXPECT_EQ(readFile(settingsFile()), stored) << "flags are for this run only";
}

TEST_F(Readout, CommunicationErrorExitsWithOne) {
    startSim({"--records", "2", "--silent-at", "R004"});
    const CliResult run = runCli({"readout", "--format", "csv", "--output", output, "--port", "6"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("Fehler: Error TEV 640 communication"));
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(Readout, PortThatCannotBeOpenedExitsWithOne) {
    const CliResult run =
        runCli({"readout", "--format", "csv", "--output", output, "--port", "42"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("Fehler: Error : Init RS232 on COM42"));
    EXPECT_THAT(run.err, HasSubstr("Fehler: Error TEV 640 communication"));
}

TEST_F(Readout, EmptyMemoryLeavesNothingToExportAndExitsWithThree) {
    startSim({"--records", "0"});
    const CliResult run = runCli({"readout", "--format", "csv", "--output", output, "--port", "6"});
    EXPECT_EQ(run.status, 3);
    EXPECT_THAT(run.err, HasSubstr("There is no Data to Export."));
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(Readout, FileThatCannotBeWrittenExitsWithThree) {
    startSim({"--records", "2"});
    const CliResult run = runCli({"readout", "--format", "csv", "--output",
                                  sandboxFolder() + "/missing/x.csv", "--port", "6"});
    EXPECT_EQ(run.status, 3);
    EXPECT_THAT(run.err, HasSubstr("/missing/"));
}

TEST_F(Readout, UsageErrorsExitWithTwo) {
    EXPECT_EQ(runCli({"readout", "--format", "dif", "--output", output}).status, 2)
        << "the window does not offer DIF";
    EXPECT_EQ(runCli({"readout", "--format", "csv"}).status, 2) << "no output file";
    EXPECT_EQ(runCli({"readout", "--fields", "3,24", "--output", output}).status, 2);
    EXPECT_EQ(runCli({"readout", "--port", "100", "--output", output}).status, 2);
}

TEST_F(Readout, XlsxWorkbookOfTheReadout) {
    startSim({"--records", "2", "--seed", "5"});
    const std::string workbook = sandboxFolder() + "/readout.xlsx";
    const CliResult run =
        runCli({"readout", "--format", "xlsx", "--output", workbook, "--port", "6"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(workbook).substr(0, 4), "PK\x03\x04") << "a zip container";
    EXPECT_THAT(run.err, HasSubstr(" rows exported to " + workbook));

    // The default "Comma" on a desktop of the C locale: still numbers, and the dates date cells
    // in the table's layout.
    if (std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") != 0)
        GTEST_SKIP() << "Debian's python3-openpyxl is not installed";
    int status = 0;
    const std::string kinds =
        commandOutput("/usr/bin/python3 -c \"import sys, openpyxl; s = "
                      "openpyxl.load_workbook(sys.argv[1]).active; "
                      "c = [x for r in s.iter_rows(min_row=2) for x in r if x.value is not None]; "
                      "print(sum(x.is_date and x.number_format.startswith('dd') for x in c), "
                      "sum(x.data_type == 'n' and x.number_format.startswith('0.') for x in c), "
                      "sum(x.data_type == 's' and x.value[:1].isdigit() for x in c))\" '" +
                          workbook + "'",
                      status);
    ASSERT_EQ(status, 0) << kinds;
    int dates = 0, decimals = 0, digitTexts = -1;
    std::istringstream(kinds) >> dates >> decimals >> digitTexts;
    EXPECT_GT(dates, 0) << kinds;
    EXPECT_GT(decimals, 0) << kinds;
    EXPECT_EQ(digitTexts, 0) << "no number or date left as text: " << kinds;
}

TEST_F(Readout, ClipboardFormatWritesTheDetailedTextToStdout) {
    startSim({"--records", "1", "--seed", "5"});
    const CliResult run = runCli(
        {"readout", "--format", "clipboard", "--port", "6", "--fields", "1,7", "--headline"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Halvoer Safety TEV GmbH,  Germany\r\n"));
    EXPECT_THAT(run.out, testing::ContainsRegex("Cust.No. *: [0-9]+\r\n"));
}

TEST_F(Readout, ProgressBarOnATerminal) {
    startSim({"--records", "3"});
    const CliResult run =
        runCliOnTerminal({"readout", "--format", "csv", "--output", output, "--port", "6"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("Read TEV 640 Database: Read fuel text"));
    EXPECT_THAT(run.err, HasSubstr("Read TEV 640 Database: [" + std::string(20, '#')));
    EXPECT_THAT(run.err, HasSubstr("] 2/3"));
}

} // namespace
} // namespace ovena::test
