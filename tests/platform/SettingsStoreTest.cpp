#include "platform/SettingsStore.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using ovena::SettingsStore;
using ovena::test::readFile;
using ovena::test::writeFile;

constexpr std::string_view Fields = "Software\\TEV\\Ovena\\Fields";
constexpr std::string_view Settings = "Software\\TEV\\Ovena\\Settings";

std::string storePath() {
    return ovena::test::sandboxFolder() + "/config/TEV/Ovena/registry.reg";
}

SettingsStore loaded(const std::string& content, std::string* warning = nullptr) {
    fs::create_directories(fs::path(storePath()).parent_path());
    writeFile(storePath(), content);
    SettingsStore store(storePath());
    store.load(warning);
    return store;
}

TEST(SettingsStore, SavesTheRegistryExportFormat) {
    SettingsStore store(storePath());
    store.writeInteger(Fields, "OVENA\\FIELDS\\FIELD00", 1);
    store.writeInteger(Fields, "OVENA\\FIELDS\\FIELD01", 0xDEADBEEF);
    store.writeString(Settings, "CBHeader_Checked", "False");
    store.writeString(Settings, "Quote \"q\" and \\", "C:\\Temp\\\"x\"");
    std::string error;
    ASSERT_TRUE(store.save(&error)) << error; // creates the folders
    EXPECT_EQ(readFile(storePath()), "REGEDIT4\n"
                                     "\n"
                                     "[HKEY_CURRENT_USER\\Software\\TEV\\Ovena\\Fields]\n"
                                     "\"OVENA\\\\FIELDS\\\\FIELD00\"=dword:00000001\n"
                                     "\"OVENA\\\\FIELDS\\\\FIELD01\"=dword:deadbeef\n"
                                     "\n"
                                     "[HKEY_CURRENT_USER\\Software\\TEV\\Ovena\\Settings]\n"
                                     "\"CBHeader_Checked\"=\"False\"\n"
                                     "\"Quote \\\"q\\\" and \\\\\"=\"C:\\\\Temp\\\\\\\"x\\\"\"\n"
                                     "\n");
    EXPECT_EQ(fs::directory_iterator(fs::path(storePath()).parent_path())->path(), storePath())
        << "only the store is left in its folder";
}

TEST(SettingsStore, EveryTextAndNumberSurvivesSaveAndLoad) {
    std::string allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes += static_cast<char>(b);
    const std::vector<std::string> texts = {"",
                                            "Best\xE4tigen \x80 \x81\x8D\x8F\x90\x9D \xFF",
                                            "ends with a backslash\\",
                                            "\"",
                                            "two\r\nlines",
                                            std::string("zero\0byte", 9),
                                            allBytes};
    SettingsStore store(storePath());
    for (std::size_t i = 0; i < texts.size(); ++i)
        store.writeString(Settings, "Text" + std::to_string(i), texts[i]);
    store.writeString(Settings, "", "the default value");
    store.writeString(Settings, "\xC4nderung\\\xFC", "name with umlauts");
    store.writeInteger(Fields, "Zero", 0);
    store.writeInteger(Fields, "Max", 0xFFFFFFFF);
    store.createKey("Software\\TEV\\Empty");
    ASSERT_TRUE(store.save());

    SettingsStore again(storePath());
    std::string warning;
    again.load(&warning);
    EXPECT_EQ(warning, "");
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(again.readString(Settings, "Text" + std::to_string(i)), texts[i]) << i;
    EXPECT_EQ(again.readString(Settings, ""), "the default value");
    EXPECT_EQ(again.readString(Settings, "\xC4nderung\\\xFC"), "name with umlauts");
    EXPECT_EQ(again.readInteger(Fields, "Zero"), 0u);
    EXPECT_EQ(again.readInteger(Fields, "Max"), 0xFFFFFFFFu);
    EXPECT_TRUE(again.keyExists("Software\\TEV\\Empty"));
}

TEST(SettingsStore, TypesStayApart) {
    SettingsStore store(storePath());
    store.writeString(Fields, "F0", "1");
    store.writeInteger(Fields, "F1", 1);
    ASSERT_TRUE(store.save());
    store.load();
    EXPECT_EQ(store.readInteger(Fields, "F0"), std::nullopt);
    EXPECT_EQ(store.readString(Fields, "F0"), "1");
    EXPECT_EQ(store.readString(Fields, "F1"), std::nullopt);
    EXPECT_EQ(store.readInteger(Fields, "F1"), 1u);
    EXPECT_EQ(store.read(Fields, "F1")->type, SettingsStore::ValueType::Integer);

    store.writeInteger(Fields, "F0", 7); // rewriting changes the type
    EXPECT_EQ(store.readString(Fields, "F0"), std::nullopt);
    EXPECT_EQ(store.readInteger(Fields, "F0"), 7u);
}

TEST(SettingsStore, KeysAndNamesIgnoreCaseAndTheLeadingBackslash) {
    SettingsStore store(storePath());
    EXPECT_FALSE(store.keyExists(Fields));
    store.writeInteger("\\Software\\TEV\\Ovena\\Fields", "OVENA\\FIELDS\\FIELD00", 1);
    store.writeInteger("SOFTWARE\\tev\\OVENA\\fields\\", "ovena\\fields\\field00", 2);
    store.writeString(Settings, "\xC4rger", "first");
    store.writeString(Settings, "\xE4RGER", "second"); // a-umlaut in both cases
    EXPECT_EQ(store.readInteger(Fields, "Ovena\\Fields\\Field00"), 2u);
    EXPECT_EQ(store.readString("software\\tev\\ovena\\settings", "\xC4rger"), "second");
    EXPECT_EQ(store.read(Fields, "OVENA/FIELDS/FIELD00"), std::nullopt);
    EXPECT_TRUE(store.keyExists("\\software\\tev\\ovena\\fields"));
    EXPECT_TRUE(store.keyExists("Software\\TEV")) << "a key with subkeys exists";
    EXPECT_FALSE(store.keyExists("Software\\TE"));
    EXPECT_FALSE(store.keyExists("Software\\TEV\\Ovena\\Fields\\Sub"));

    ASSERT_TRUE(store.save());
    const std::string file = readFile(storePath());
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\TEV\\Ovena\\Fields]\n"
                        "\"OVENA\\\\FIELDS\\\\FIELD00\"=dword:00000002\n"),
              std::string::npos)
        << "names keep the case they were first written with:\n"
        << file;
    EXPECT_NE(file.find("\"\xC4rger\"=\"second\""), std::string::npos);
}

TEST(SettingsStore, ReadsRegistryExports) {
    std::string warning;
    const SettingsStore store = loaded("\xEF\xBB\xBFREGEDIT4\r\n"
                                       "\r\n"
                                       "; a comment\r\n"
                                       "[HKEY_CURRENT_USER\\Software\\TEV\\Ovena\\Settings]\r\n"
                                       "@=\"default\"\r\n"
                                       "\"Spaced\" = \"around the equals\"\r\n"
                                       "\"Hex\"=DWORD:0000ABCD\r\n"
                                       "\"Short\"=dword:1f\r\n"
                                       "\"Expand\"=hex(2):25,54,45,4d,50,25,00\r\n"
                                       "\"Sz\"=hex(1):4c,69,6e,65,0d,0a,\\\r\n"
                                       "  32,00\r\n"
                                       "\"Le\"=hex(4):78,56,34,12\r\n"
                                       "\"Be\"=hex(5):12,34,56,78\r\n"
                                       "\"Gone\"=\"soon\"\r\n"
                                       "\"Gone\"=-\r\n"
                                       "\r\n"
                                       "[HKEY_CURRENT_USER\\Software\\Old]\r\n"
                                       "\"x\"=\"1\"\r\n"
                                       "[HKEY_CURRENT_USER\\Software\\Old\\Sub]\r\n"
                                       "\"y\"=\"2\"\r\n"
                                       "[-HKEY_CURRENT_USER\\Software\\Old]\r\n",
                                       &warning);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(store.readString(Settings, ""), "default");
    EXPECT_EQ(store.readString(Settings, "Spaced"), "around the equals");
    EXPECT_EQ(store.readInteger(Settings, "Hex"), 0xABCDu);
    EXPECT_EQ(store.readInteger(Settings, "Short"), 0x1Fu);
    EXPECT_EQ(store.readString(Settings, "Expand"), "%TEMP%");
    EXPECT_EQ(store.readString(Settings, "Sz"), "Line\r\n2");
    EXPECT_EQ(store.readInteger(Settings, "Le"), 0x12345678u);
    EXPECT_EQ(store.readInteger(Settings, "Be"), 0x12345678u);
    EXPECT_EQ(store.read(Settings, "Gone"), std::nullopt);
    EXPECT_FALSE(store.keyExists("Software\\Old"));
    EXPECT_FALSE(store.keyExists("Software\\Old\\Sub"));
}

TEST(SettingsStore, SkipsWhatItCannotTakeWithOneWarning) {
    std::string warning;
    const SettingsStore store = loaded("REGEDIT4\n"
                                       "\"Orphan\"=\"before any key\"\n"
                                       "[HKEY_LOCAL_MACHINE\\Software\\TEV]\n"
                                       "\"Machine\"=\"other root\"\n"
                                       "[HKEY_CURRENT_USERS\\Software]\n"
                                       "[HKEY_CURRENT_USER\\Software\\TEV\\Ovena\\Settings]\n"
                                       "\"Binary\"=hex:01,02\n"
                                       "\"Multi\"=hex(7):41,00,00,00\n"
                                       "\"TooLong\"=dword:123456789\n"
                                       "\"NotHex\"=dword:12g4\n"
                                       "\"Open\"=\"unterminated\n"
                                       "\"Trailing\"=\"x\" y\n"
                                       "\"BadList\"=hex(1):4,1\n"
                                       "\"NoEquals\"\n"
                                       "garbage\n"
                                       "\"Good\"=\"kept\"\n",
                                       &warning);
    EXPECT_EQ(store.readString(Settings, "Good"), "kept");
    for (const char* name : {"Binary", "Multi", "TooLong", "NotHex", "Open", "Trailing", "BadList"})
        EXPECT_EQ(store.read(Settings, name), std::nullopt) << name;
    EXPECT_FALSE(store.keyExists("Software\\TEV\\Machine"));
    EXPECT_NE(warning.find(storePath()), std::string::npos) << warning;
    EXPECT_NE(warning.find("13 lines"), std::string::npos) << warning;
    EXPECT_NE(warning.find("line 2"), std::string::npos) << warning;
}

TEST(SettingsStore, MissingFileGivesAnEmptyStoreAndUnreadableFileAWarning) {
    SettingsStore store(storePath());
    store.writeString(Settings, "Stale", "x");
    std::string warning;
    store.load(&warning);
    EXPECT_EQ(warning, "");
    EXPECT_FALSE(store.keyExists(Settings)) << "loading replaces what the store held";

    fs::create_directories(storePath()); // a folder where the file should be
    store.load(&warning);
    EXPECT_NE(warning, "");
    EXPECT_FALSE(store.keyExists(Settings));

    fs::remove(storePath());
    ASSERT_EQ(mkfifo(storePath().c_str(), 0600), 0); // a pipe nobody writes to
    warning.clear();
    store.load(&warning);
    EXPECT_NE(warning, "");
}

// A file cut off anywhere, as by a full disk or a crash of another writer, gives a part of its
// values, each with its true content: a value cut short is dropped, never read shortened.
TEST(SettingsStore, TornFilesGiveOnlyCompleteValues) {
    SettingsStore full(storePath());
    full.writeInteger(Fields, "OVENA\\FIELDS\\FIELD00", 0x12345678);
    full.writeString(Fields, "Name \"quoted\"", "value \\ with \" escapes");
    full.writeString(Settings, "Lines", "a\r\nb and a longer text that wraps onto another line");
    full.writeInteger(Settings, "Small", 0x10);
    ASSERT_TRUE(full.save());
    const std::string content = readFile(storePath());

    struct Expected {
        std::string_view key;
        const char* name;
    };
    const Expected names[] = {{Fields, "OVENA\\FIELDS\\FIELD00"},
                              {Fields, "Name \"quoted\""},
                              {Settings, "Lines"},
                              {Settings, "Small"}};
    for (std::size_t cut = 0; cut < content.size(); ++cut) {
        std::string warning;
        const SettingsStore part = loaded(content.substr(0, cut), &warning);
        for (const auto& [key, name] : names) {
            const auto value = part.read(key, name);
            if (value) {
                EXPECT_EQ(value->type, full.read(key, name)->type) << cut;
                EXPECT_EQ(value->text, full.read(key, name)->text) << cut;
                EXPECT_EQ(value->number, full.read(key, name)->number) << cut;
            }
        }
        if (cut > 0 && content[cut - 1] != '\n' && content[cut] != '\n') {
            EXPECT_NE(warning, "") << "a line cut in its middle is reported, cut at " << cut;
        }
    }
}

TEST(SettingsStore, GarbageNeverCrashes) {
    std::mt19937 random(640);
    const std::string alphabet =
        "[]\"\\=@-:,;\r\n\t dwordhex(1)(4)0123456789abcdefHKEY_CURRENT_USER";
    for (int round = 0; round < 300; ++round) {
        std::string bytes = round % 2 ? "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n" : "";
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i)
            bytes += round % 3 == 0 ? static_cast<char>(random() % 256)
                                    : alphabet[random() % alphabet.size()];
        std::string warning;
        SettingsStore store = loaded(bytes, &warning);
        if (round % 10 != 0)
            continue;
        // Whatever was read can be saved and read back unchanged.
        ASSERT_TRUE(store.save());
        const std::string saved = readFile(storePath());
        std::string again;
        SettingsStore reread(storePath());
        reread.load(&again);
        EXPECT_EQ(again, "") << "round " << round;
        ASSERT_TRUE(reread.save());
        EXPECT_EQ(readFile(storePath()), saved) << "round " << round;
    }
}

TEST(SettingsStore, SavingThroughALinkReplacesTheFileItPointsAt) {
    const std::string dotfiles = ovena::test::sandboxFolder() + "/home/dotfiles";
    fs::create_directories(dotfiles);
    writeFile(dotfiles + "/registry.reg", "REGEDIT4\n");
    fs::create_directories(fs::path(storePath()).parent_path());
    fs::create_symlink(dotfiles + "/registry.reg", storePath());
    SettingsStore store(storePath());
    store.writeString(Settings, "A", "b");
    ASSERT_TRUE(store.save());
    EXPECT_TRUE(fs::is_symlink(storePath()));
    EXPECT_NE(readFile(dotfiles + "/registry.reg").find("\"A\"=\"b\""), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dotfiles), fs::directory_iterator()), 1);
}

TEST(SettingsStore, FailedSaveReportsAndLeavesNoTemporaryFile) {
    const fs::path folder = fs::path(storePath()).parent_path();
    fs::create_directories(fs::path(storePath()) / "occupied"); // a folder in the file's place
    SettingsStore store(storePath());
    store.writeString(Settings, "A", "b");
    std::string error;
    EXPECT_FALSE(store.save(&error));
    EXPECT_NE(error.find(storePath()), std::string::npos) << error;
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(fs::exists(fs::path(storePath()) / "occupied"));

    writeFile(ovena::test::sandboxFolder() + "/config/plain", "");
    SettingsStore blocked(ovena::test::sandboxFolder() + "/config/plain/sub/registry.reg");
    EXPECT_FALSE(blocked.save(&error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(SettingsStore().save(&error));
}

} // namespace
