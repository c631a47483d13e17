// Register files as users have them: spreadsheets' CSV in any separator and code page.

#include "ArchiveFixture.h"
#include "RegisterFixture.h"

#include "archive/RegisterCsv.h"

#include "platform/Cp1252.h"

#include <gmock/gmock.h>

namespace ovena::test {
namespace {

using namespace archive;
using namespace std::chrono;
using testing::ElementsAre;

struct FileCase {
    const char* name;
    const char* headings; // "," stands for the separator
    char separator;
    bool windows1252;
    bool byteOrderMark;
};

// `plants` rows, the one at `bad` with a power that is no number.
std::string registerFile(const FileCase& c, int plants, int bad) {
    std::string text = c.byteOrderMark ? "\xEF\xBB\xBF" : "";
    for (const char* h = c.headings; *h; ++h)
        text += *h == ',' ? c.separator : *h;
    text += "\r\n";
    const std::string s(1, c.separator);
    for (int i = 0; i < plants; ++i)
        text += std::to_string(100000 + i) + s + "\"Müller" + s + " Jürgen " + std::to_string(i) +
                "\"" + s + (c.windows1252 ? "Straße 5" : "\"Łódź, ulica Dvořákova 7\"") + s +
                (i == bad ? "abc" : "\"24,5\"") + s + "31.05.2010" + s + "Brennwert\r\n";
    return c.windows1252 ? utf8ToCp1252(text) : text;
}

class RegisterFiles : public testing::TestWithParam<FileCase> {};

TEST_P(RegisterFiles, TenThousandPlantsAreImportedOnceAndTheBadRowIsNamed) {
    const FileCase& c = GetParam();
    const std::string file = registerFile(c, 10000, 4321);
    const CsvReading reading = readPlantsCsv(file);
    EXPECT_EQ(reading.separator, c.separator);
    EXPECT_EQ(reading.encoding, c.windows1252 ? CsvEncoding::Windows1252 : CsvEncoding::Utf8);
    ASSERT_EQ(reading.problems.size(), 1u);
    EXPECT_EQ(reading.problems[0].line, 4321 + 2);
    EXPECT_EQ(reading.problems[0].reason, "the power \"abc\" is not a number of kW");

    Archive archive = Archive::openFile(archiveFile(), true);
    PlantRegister reg(archive.database(), {"w", "u"});
    const CsvImport first = importPlants(reg, reading);
    EXPECT_EQ(first.plants, 9999);
    EXPECT_EQ(first.changed, 9999);
    EXPECT_EQ(importPlants(reg, readPlantsCsv(file)).changed, 0);
    EXPECT_EQ(reg.countPlants(), 9999);

    const std::optional<Plant> plant = reg.plant("100007");
    const std::string s(1, c.separator);
    ASSERT_TRUE(plant.has_value());
    EXPECT_EQ(plant->responsible.name, "Müller" + s + " Jürgen 7");
    EXPECT_EQ(plant->address, c.windows1252 ? "Straße 5" : "Łódź, ulica Dvořákova 7");
    ASSERT_EQ(plant->generators.size(), 1u);
    EXPECT_EQ(plant->generators[0].usefulPowerKw, 24.5);
    EXPECT_EQ(plant->generators[0].installedOn, 2010y / May / 31d);
    EXPECT_EQ(plant->generators[0].kind, GeneratorKind::GasCondensing);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegisterFiles,
    testing::Values(FileCase{"Utf8BomSemicolon",
                             "Codice impianto,Responsabile,Indirizzo,Potenza utile (kW),"
                             "Data installazione,Tipo",
                             ';', false, true},
                    FileCase{"Utf8Comma",
                             "Kundennummer,Betreiber,Anschrift,Nennleistung,Einbaudatum,Art", ',',
                             false, false},
                    FileCase{"Windows1252Semicolon",
                             "Kundennummer,Eigentümer,Straße,Nennwärmeleistung,Einbaudatum,Bauart",
                             ';', true, false},
                    FileCase{"Windows1252Tab", "Customer number,Name,Address,Pn,Installed,Kind",
                             '\t', true, false}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST(RegisterCsv, RowsThatCannotBeReadAreListedWithTheReason) {
    const CsvReading reading = readPlantsCsv("customer;kind;burner;installed_on;generator;x\n"
                                             "1;altro;atmosferico;2010-02-28;GT2;\n"
                                             "2;boiler;;;;\n"
                                             "3;;fire;;;\n"
                                             "4;;;31/02/2010;;\n"
                                             "5;;;;0;\n"
                                             ";standard;;;;\n"
                                             "6;;;;;;surplus\n"
                                             "7;;;;;;\n"
                                             "\n"
                                             "8;\"open\n");
    std::vector<std::string> problems;
    for (const CsvProblem& p : reading.problems)
        problems.push_back(std::to_string(p.line) + ": " + p.reason);
    EXPECT_THAT(
        problems,
        ElementsAre(
            "3: the kind \"boiler\" is not standard, low temperature, gas condensing, warm air or "
            "other",
            "4: the burner \"fire\" is not atomising, vaporising, gas with fan or atmospheric",
            "5: the installation date \"31/02/2010\" is not a date",
            "6: the generator \"0\" is not a number from 1", "7: no customer number",
            "8: 7 cells, the heading row has 6",
            "11: a quote opened here is never closed; the rest of the file is left out"));
    const std::vector<Plant> plants = reading.plants();
    ASSERT_EQ(plants.size(), 2u);
    ASSERT_EQ(plants[0].generators.size(), 1u);
    EXPECT_EQ(plants[0].generators[0].number, 2);
    EXPECT_EQ(plants[0].generators[0].burner, BurnerKind::Atmospheric);
    EXPECT_EQ(plants[1].customer, "7");
}

TEST(RegisterFields, ValuesAreReadAsUsersWriteThem) {
    EXPECT_EQ(powerFromText("24,5 kW"), 24.5);
    EXPECT_EQ(powerFromText("1000.25"), 1000.25);
    EXPECT_EQ(powerFromText("0"), 0.0);
    for (const char* notPower : {"abc", "-1", "1e400", "", "2,5,1", "kW"})
        EXPECT_FALSE(powerFromText(notPower).has_value()) << notPower;
    EXPECT_EQ(dateFromText("31.5.2010"), 2010y / May / 31d);
    EXPECT_EQ(dateFromText("29/02/2012"), 2012y / February / 29d);
    for (const char* notDate : {"2010-02-29", "31/05/10", "5/2010", "2010-5-31", "1.2.2010x"})
        EXPECT_FALSE(dateFromText(notDate).has_value()) << notDate;
    EXPECT_EQ(generatorKindFromText("Niedertemperatur"), GeneratorKind::LowTemperature);
    EXPECT_EQ(generatorKindFromText("aria calda"), GeneratorKind::WarmAir);
    EXPECT_EQ(burnerKindFromText("Gebläse"), BurnerKind::GasWithFan);
    EXPECT_EQ(burnerKindFromText("VERDAMPFER"), BurnerKind::Vaporising);
    EXPECT_EQ(roleFromText("Terzo responsabile"), ResponsibleRole::ThirdParty);
    EXPECT_EQ(generatorNumberFromText("GT3"), 3);
    EXPECT_EQ(fieldOfHeading("Potenza utile (kW)"), PlantField::UsefulPower);
    EXPECT_EQ(fieldOfHeading("Nennwärmebelastung"), PlantField::HeatInput);
    EXPECT_FALSE(fieldOfHeading("Colour").has_value());
}

TEST(RegisterCsv, AssignmentsDecideTheColumnsTheyName) {
    const std::string file = "Nr;Cliente;Note\n 12 ;Rossi;caldaia in cantina\n";
    const CsvReading reading = readPlantsCsv(file, {"customer=Nr", "notes=2", "address=Note"});
    const std::vector<Plant> plants = reading.plants();
    ASSERT_EQ(plants.size(), 1u);
    EXPECT_EQ(plants[0].customer, "12");
    EXPECT_EQ(plants[0].notes, "Rossi");
    EXPECT_EQ(plants[0].address, "caldaia in cantina");
    EXPECT_EQ(plants[0].responsible.name, "");
    EXPECT_THROW(readPlantsCsv(file), ArchiveError); // no customer column
    EXPECT_THROW(readPlantsCsv(file, {"colour=Nr"}), ArchiveError);
    EXPECT_THROW(readPlantsCsv(file, {"customer=9"}), ArchiveError);
}

TEST(RegisterCsv, AnImportKeepsWhatTheFileDoesNotGive) {
    Archive archive = Archive::openFile(archiveFile(), true);
    PlantRegister reg(archive.database(), {"w", "u"});
    reg.savePlant(samplePlant("5"));
    importPlants(reg, readPlantsCsv("customer,phone,generator,maker\n5,+39 011,2,Riello\n"));
    Plant expected = samplePlant("5");
    expected.phone = "+39 011";
    expected.generators[1].maker = "Riello";
    EXPECT_EQ(reg.plant("5"), expected);
}

TEST(RegisterCsv, TheExportReadsBackAsItWas) {
    Plant bare;
    bare.customer = "\xA7"
                    "9"; // a Windows-1252 byte in the instrument's number
    const std::vector<Plant> plants{samplePlant("1"), bare};
    const std::string file = plantsCsv(plants);
    EXPECT_TRUE(file.starts_with("\xEF\xBB\xBF"
                                 "customer;responsible;tax_code;role;address;"));
    EXPECT_NE(file.find("\r\n1;Zofia Węgierska;"), std::string::npos);
    const CsvReading reading = readPlantsCsv(file);
    EXPECT_THAT(reading.problems, testing::IsEmpty());
    EXPECT_EQ(reading.plants(), plants);
}

} // namespace
} // namespace ovena::test
