// The workstation's archive file: how it is made, what it refuses, transactions that fail or
// meet another program, and the check that finds damage.

#include "ArchiveFixture.h"
#include "support/TestEnvironment.h"

#include "archive/Schema.h"
#include "archive/SqliteDatabase.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using namespace archive;
using testing::HasSubstr;

std::string pragma(Archive& archive, const std::string& name) {
    std::string value;
    archive.database().query("PRAGMA " + name, {}, [&](const SqlRow& row) { value = row.text(0); });
    return value;
}

TEST(ArchiveFile, ANewArchiveIsPrivateLoggedAheadAndChecksReferences) {
    const std::string path = sandboxFolder() + "/data/new/folder/archive.sqlite";
    Archive archive = Archive::openFile(path, true);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(pragma(archive, "journal_mode"), "wal");
    EXPECT_EQ(pragma(archive, "synchronous"), "2"); // FULL
    EXPECT_EQ(pragma(archive, "foreign_keys"), "1");
    EXPECT_EQ(storedSchemaVersion(archive.database()), SchemaVersion);
    EXPECT_EQ(archiveIdentity(archive.database()).size(), 32u);
    EXPECT_THROW(archive.database().execute(
                     "INSERT INTO readout_record (readout, position, record) VALUES (7, 0, 7)"),
                 ArchiveError);
}

TEST(ArchiveFile, WhatIsNotAnArchiveOfThisVersionIsRefused) {
    const auto reason = [](const std::string& path, bool create) {
        try {
            Archive::openFile(path, create);
        } catch (const ArchiveError& e) {
            return std::string(e.what());
        }
        return std::string("opened");
    };
    EXPECT_THAT(reason(archiveFile("missing.sqlite"), false), HasSubstr("no archive there"));
    EXPECT_FALSE(fs::exists(archiveFile("missing.sqlite")));

    writeFile(archiveFile("garbage.sqlite"), std::string(8192, 'G'));
    EXPECT_THAT(reason(archiveFile("garbage.sqlite"), true), HasSubstr("not a database"));

    SqliteDatabase(archiveFile("other.sqlite"), SqliteDatabase::Mode::Create)
        .execute("CREATE TABLE notes (text TEXT)");
    EXPECT_THAT(reason(archiveFile("other.sqlite"), true), HasSubstr("not an Ovena archive"));

    Archive::openFile(archiveFile(), true)
        .database()
        .execute("UPDATE archive_meta SET value = '99' WHERE name = 'schema_version'");
    EXPECT_THAT(reason(archiveFile(), true), HasSubstr("schema version 99, made by a newer"));
}

TEST(ArchiveFile, AReadoutThatFailsHalfwayLeavesTheArchiveAsItWas) {
    Archive archive = Archive::openFile(archiveFile(), true);
    archive.store(readoutOf("64000001"), recordsOf({customerRecord("1", "2312241530")}));
    // The third record of the next readout cannot be kept.
    archive.database().execute("CREATE TRIGGER fail_third BEFORE INSERT ON readout_record"
                               " WHEN NEW.position = 2 BEGIN SELECT RAISE(ABORT, 'disk gone');"
                               " END");
    const auto records =
        recordsOf({customerRecord("1", "2312241530"), customerRecord("2", "2312241600"),
                   customerRecord("3", "2312241700")});
    try {
        archive.store(readoutOf("64000001"), records);
        FAIL() << "the store did not fail";
    } catch (const ArchiveError& e) {
        EXPECT_THAT(e.what(), HasSubstr("disk gone"));
    }
    EXPECT_EQ(archive.stats().readouts, 1);
    EXPECT_EQ(archive.countRecords({}), 1);
    archive.database().execute("DROP TRIGGER fail_third");
    EXPECT_EQ(archive.store(readoutOf("64000001"), records).newRecords, 2);
}

TEST(ArchiveFile, TwoProgramsArchivingAtOnceBothSucceed) {
    Archive::openFile(archiveFile(), true);
    constexpr int Readouts = 60;
    const auto archiveMany = [](const std::string& serial) {
        Archive archive = Archive::openFile(archiveFile(), true);
        for (int i = 0; i < Readouts; ++i)
            archive.store(readoutOf(serial),
                          recordsOf({customerRecord(std::to_string(i), "2312241530"),
                                     customerRecord("shared", "2312241530")}));
    };
    const pid_t child = fork();
    if (child == 0) {
        try {
            archiveMany("64000002");
            _exit(0);
        } catch (...) {
            _exit(1);
        }
    }
    archiveMany("64000001");
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    Archive archive = Archive::openFile(archiveFile(), false);
    EXPECT_EQ(archive.stats().readouts, 2 * Readouts);
    EXPECT_EQ(archive.countRecords({}), 2 * (Readouts + 1));
    EXPECT_THAT(archive.check(), testing::IsEmpty());
}

TEST(ArchiveFile, TheCheckFindsDamage) {
    Archive archive = Archive::openFile(archiveFile(), true);
    archive.store(readoutOf("64000001"),
                  recordsOf({customerRecord("1", "2312241530"), customerRecord("2", "2312241600"),
                             customerRecord("3", "2312241700")}));
    EXPECT_THAT(archive.check(), testing::IsEmpty());
    Database& db = archive.database();
    db.execute(
        "UPDATE record SET lines = CAST('1;9999' AS BLOB) WHERE customer = CAST('2' AS BLOB)");
    db.execute("DELETE FROM readout_record WHERE position = 2");
    db.execute("DELETE FROM measurement WHERE record = (SELECT id FROM record"
               " WHERE customer = CAST('1' AS BLOB))");
    const auto problems = archive.check();
    EXPECT_THAT(problems, testing::Contains(HasSubstr("do not match its identity")));
    EXPECT_THAT(problems, testing::Contains(HasSubstr("should hold 3 records and holds 2")));
    EXPECT_THAT(problems, testing::Contains(HasSubstr("is not in the readout that brought it")));
    EXPECT_THAT(problems, testing::Contains(HasSubstr("its table rows do not match its lines")));
}

} // namespace
} // namespace ovena::test
