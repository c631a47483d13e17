#include "platform/TempFiles.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ovena::createUniqueFile;
using ovena::tempFolder;

TEST(TempFiles, FolderFollowsTmpdirWhenItIsAnExistingFolder) {
    const std::string sandboxTmp = ovena::test::sandboxFolder() + "/tmp";
    EXPECT_EQ(tempFolder(), sandboxTmp + "/");

    setenv("TMPDIR", (sandboxTmp + "/").c_str(), 1);
    EXPECT_EQ(tempFolder(), sandboxTmp + "/") << "no doubled separator";

    setenv("TMPDIR", (sandboxTmp + "/missing").c_str(), 1);
    EXPECT_EQ(tempFolder(), "/tmp/");
    ovena::test::writeFile(sandboxTmp + "/plain-file", "");
    setenv("TMPDIR", (sandboxTmp + "/plain-file").c_str(), 1);
    EXPECT_EQ(tempFolder(), "/tmp/");
    setenv("TMPDIR", "home", 1); // relative: it would move with the working folder
    ASSERT_EQ(chdir(ovena::test::sandboxFolder().c_str()), 0);
    EXPECT_EQ(tempFolder(), "/tmp/");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(tempFolder(), "/tmp/");
    unsetenv("TMPDIR");
    EXPECT_EQ(tempFolder(), "/tmp/");
}

TEST(TempFiles, CreatesDistinctEmptyPrivateFilesWithTheExtension) {
    const std::string folder = tempFolder();
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i) {
        const std::string path = createUniqueFile(folder, "exp", "xls");
        ASSERT_FALSE(path.empty());
        const std::string name = fs::path(path).filename().string();
        EXPECT_EQ(path.substr(0, folder.size()), folder);
        EXPECT_EQ(name.substr(0, 3), "exp");
        EXPECT_EQ(fs::path(path).extension(), ".xls");
        struct stat info {};
        ASSERT_EQ(lstat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_EQ(info.st_size, 0);
        names.insert(path);
    }
    EXPECT_EQ(names.size(), 50u);

    const std::string bare = createUniqueFile(folder, "exp", "");
    ASSERT_FALSE(bare.empty());
    EXPECT_EQ(fs::path(bare).extension(), "") << "no trailing point without an extension";
}

TEST(TempFiles, SkipsANameTakenByALinkAndFailsWithoutAFolder) {
    const std::string folder = tempFolder();
    // Links planted under every name of the pattern that does not exist yet must not be
    // followed: a fresh name is always a new regular file.
    const std::string victim = folder + "victim";
    ovena::test::writeFile(victim, "keep");
    const std::string path = createUniqueFile(folder, "exp", "htm");
    ASSERT_FALSE(path.empty());
    fs::remove(path);
    fs::create_symlink(victim, path);
    const std::string again = createUniqueFile(folder, "exp", "htm");
    ASSERT_FALSE(again.empty());
    EXPECT_NE(again, path);
    EXPECT_EQ(ovena::test::readFile(victim), "keep");

    EXPECT_EQ(createUniqueFile(folder + "no-such-folder/", "exp", "tmp"), "");
}

} // namespace
