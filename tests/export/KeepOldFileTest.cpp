#include "ExportFixture.h"

#include "export/ExportError.h"
#include "platform/FileReplacement.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ovena::test {
namespace {

namespace fs = std::filesystem;
using O = TExportOption;
const std::string OldBytes = "the previous export\r\n\x80\x00 end";

enum class Writer { SettingsStore, Export };

void PrintTo(Writer writer, std::ostream* out) {
    *out << (writer == Writer::SettingsStore ? "SettingsStore" : "Export");
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool holds(const std::string& file, const std::string& text) {
    return readFile(file).find(text) != std::string::npos;
}

ino_t inode(const std::string& file) {
    struct stat st {};
    stat(file.c_str(), &st);
    return st.st_ino;
}

// Runs `run` in a child process and answers its exit code; 100 when it did not end normally.
int inChild(const std::function<int()>& run) {
    const pid_t child = fork();
    if (child == 0)
        _exit(run());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// The same as an ordinary user when this process is the superuser (who may write anywhere).
int asOrdinaryUser(const std::function<int()>& run) {
    return inChild([&] {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                setuid(nobody->pw_uid) != 0)
                return 99;
        }
        return run();
    });
}

// A named export that fails or is cancelled leaves the file it was to replace as it was, and
// leaves nothing else behind.
class KeepOldFile : public ExportTest {
protected:
    KeepOldFile() {
        writeFile(path("report.txt"), OldBytes);
        component->ExportType = TExportType::xText;
        component->ViewOnly = false;
        component->ExportFile = path("report.txt");
    }
    void expectOldFileAlone() {
        EXPECT_EQ(readFile(path("report.txt")), OldBytes);
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"report.txt"});
    }
};

TEST_F(KeepOldFile, ASuccessfulExportReplacesTheFileAndKeepsItsPermissions) {
    chmod(path("report.txt").c_str(), 0640);
    ASSERT_TRUE(component->Export());
    EXPECT_EQ(readFile(path("report.txt")).substr(0, 9), "Created: ");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"report.txt"});
    struct stat st {};
    stat(path("report.txt").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(KeepOldFile, ANewFileGetsTheUsualPermissions) {
    component->ExportFile = path("new.txt");
    const mode_t mask = umask(022);
    ASSERT_TRUE(component->Export());
    umask(mask);
    struct stat st {};
    stat(path("new.txt").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(KeepOldFile, CancelInTheProgressWindow) {
    int failed = 0;
    component->OnExportFailed = [&](TExportXComponent&) { ++failed; };
    ui.cancelWhenProgressShows();
    TExportOptions options = component->Options();
    options.insert(O::DetailedMode); // the detailed writer shows its progress window
    component->SetOptions(options);
    EXPECT_FALSE(component->Export());
    EXPECT_TRUE(ui.boxes.empty()); // cancelling is no failure to report
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(component->ExportFile.empty());
    expectOldFileAlone();
}

TEST_F(KeepOldFile, ProgressWindowNeverShownDoesNotCancel) {
    // The fixed-width writer never shows its window; Esc cannot reach it.
    ui.cancelWhenProgressShows();
    EXPECT_TRUE(component->Export());
}

TEST_F(KeepOldFile, WriteErrorOfAFullDisk) {
    // Enough rows to pass the file size limit of the child process.
    grid.SetRowCount(5000);
    for (int r = 1; r < 5000; ++r)
        grid.SetCell(2, r, std::string(60, 'x'));
    const int code = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{20000, 20000};
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool ok = component->Export();
        return ok || !component->ExportFile.empty()                                       ? 1
               : ui.boxes.size() == 1 && ui.boxes[0].text.rfind("Export failed.", 0) == 0 ? 0
                                                                                          : 2;
    });
    EXPECT_EQ(code, 0);
    expectOldFileAlone();
}

// A file the user may not write in a folder the user may not write: the export fails at once.
TEST_F(KeepOldFile, UnwritableFolderAndFile) {
    chmod(sandboxFolder().c_str(), 0711);
    chmod(folder.c_str(), 0555);
    chmod(path("report.txt").c_str(), 0444);
    const int code = asOrdinaryUser([&] {
        int failed = 0;
        component->OnExportFailed = [&](TExportXComponent&) { ++failed; };
        try {
            component->Export();
            return 1;
        } catch (const ExportError& e) {
            const std::string message = e.what();
            return message == "Cannot write " + path("report.txt") + ": Permission denied" &&
                           failed == 1 && component->ExportFile.empty()
                       ? 0
                       : 2;
        }
    });
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(code, 0);
    expectOldFileAlone();
}

TEST_F(KeepOldFile, FailingFooterKeepsTheOldFile) {
    component->SetFooter({"%s"});
    EXPECT_FALSE(component->Export());
    expectOldFileAlone();
}

TEST_F(KeepOldFile, FileExportIsStreamedToDiskRowByRow) {
    grid.SetRowCount(20001);
    for (int r = 1; r <= 20000; ++r)
        grid.SetCell(2, r, "row " + std::to_string(r));
    component->SetOptions({O::DetailedMode, O::ShowProgress, O::ShowColHeaders});
    std::uintmax_t largestSeen = 0;
    ui.onProcessEvents = [&] {
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().filename() != "report.txt")
                largestSeen = std::max(largestSeen, std::filesystem::file_size(e.path()));
    };
    ASSERT_TRUE(component->Export());
    const auto finalSize = std::filesystem::file_size(path("report.txt"));
    // Bytes reach the disk while the rows are still coming, in pieces of bounded size.
    EXPECT_GT(largestSeen, 0u);
    EXPECT_LT(largestSeen, finalSize);
    EXPECT_GE(largestSeen + 128 * 1024, finalSize * 9 / 10);
}

// Files as users keep them: both writers of a named file (the settings store and a named export)
// replace it through the same service, and each case runs for both.
class FileReplacementTest : public ExportTest, public ::testing::WithParamInterface<Writer> {
protected:
    FileReplacementTest() : temp(sandboxFolder() + "/tmp") {}

    // Writes a new version of `file` that holds `marker` (followed by `padding` bytes), the way
    // the writer under test does; answers whether it reported success.
    bool writeVersion(const std::string& file, const std::string& marker, std::size_t padding = 0) {
        const std::string text = marker + std::string(padding, 'p');
        if (GetParam() == Writer::SettingsStore) {
            SettingsStore store(file);
            store.writeString("Software\\TEV\\Ovena\\Settings", "Marker", text);
            return store.save();
        }
        grid.SetCell(2, 1, text);
        component->ExportType = TExportType::xText_Comma_Delimited;
        component->ViewOnly = false;
        component->ExportFile = file;
        try {
            return component->Export();
        } catch (const ExportError&) {
            return false;
        }
    }

    // Nothing of an unfinished or finished new file is left in the temporary folder.
    void expectNothingLeftInTheTemporaryFolder() {
        EXPECT_EQ(entries(temp), std::vector<std::string>{});
    }

    const std::string temp;
};

TEST_P(FileReplacementTest, ALinkIsFollowedAndStays) {
    fs::create_directories(path("real"));
    writeFile(path("real/target.csv"), "old");
    fs::create_symlink(path("real/target.csv"), path("absolute.csv"));
    fs::create_symlink("real/target.csv", path("relative.csv"));

    ASSERT_TRUE(writeVersion(path("absolute.csv"), "first"));
    EXPECT_TRUE(holds(path("real/target.csv"), "first"));
    ASSERT_TRUE(writeVersion(path("relative.csv"), "second"));
    EXPECT_TRUE(holds(path("real/target.csv"), "second"));

    EXPECT_EQ(fs::read_symlink(path("absolute.csv")), path("real/target.csv"));
    EXPECT_EQ(fs::read_symlink(path("relative.csv")), "real/target.csv");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"absolute.csv", "real", "relative.csv"}));
    EXPECT_EQ(entries(path("real")), std::vector<std::string>{"target.csv"});

    // A link to a file not made yet, through another link: the file is made where it leads.
    fs::create_symlink("latest.csv", path("chain.csv"));
    fs::create_symlink("real/new.csv", path("latest.csv"));
    ASSERT_TRUE(writeVersion(path("chain.csv"), "third"));
    EXPECT_TRUE(holds(path("real/new.csv"), "third"));
    EXPECT_EQ(fs::read_symlink(path("chain.csv")), "latest.csv");
    EXPECT_EQ(fs::read_symlink(path("latest.csv")), "real/new.csv");
}

TEST_P(FileReplacementTest, BothNamesOfAHardLinkSeeTheNewContent) {
    writeFile(path("a.csv"), "old");
    fs::create_hard_link(path("a.csv"), path("b.csv"));
    const ino_t before = inode(path("a.csv"));

    ASSERT_TRUE(writeVersion(path("a.csv"), "through a"));
    EXPECT_TRUE(holds(path("b.csv"), "through a"));
    ASSERT_TRUE(writeVersion(path("b.csv"), "through b"));
    EXPECT_TRUE(holds(path("a.csv"), "through b"));

    EXPECT_EQ(inode(path("a.csv")), before);
    EXPECT_EQ(inode(path("b.csv")), before);
    EXPECT_EQ(fs::hard_link_count(path("a.csv")), 2u);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"a.csv", "b.csv"}));
}

// The new content is complete before it is copied into a file that has other names; a disk that
// fills during the copy leaves the old content whole.
TEST_F(KeepOldFile, ADiskFillingWhileCopyingIntoAHardLinkedFileLeavesItWhole) {
    const std::string old(30000, 'o');
    writeFile(path("a.csv"), old);
    fs::create_hard_link(path("a.csv"), path("b.csv"));
    FileReplacement replacement(path("a.csv"));
    writeFile(replacement.path(), std::string(50000, 'n'));
    const int code = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{40000, 40000};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            replacement.commit();
            return 1;
        } catch (const std::system_error&) {
            return 0;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(path("b.csv")), old);

    // A shorter new content leaves nothing of the old one behind it.
    FileReplacement shorter(path("b.csv"));
    writeFile(shorter.path(), "short");
    shorter.commit();
    EXPECT_EQ(readFile(path("a.csv")), "short");
}

TEST_P(FileReplacementTest, PermissionBitsAndGroupStay) {
    writeFile(path("kept.csv"), "old");
    // A group the user may give the file: any one for the superuser, else another of their own.
    gid_t group = getegid();
    if (geteuid() == 0) {
        if (const passwd* nobody = getpwnam("nobody"))
            group = nobody->pw_gid;
    } else {
        std::vector<gid_t> groups(static_cast<std::size_t>(getgroups(0, nullptr)));
        getgroups(static_cast<int>(groups.size()), groups.data());
        for (gid_t g : groups)
            if (g != getegid())
                group = g;
    }
    ASSERT_EQ(chown(path("kept.csv").c_str(), static_cast<uid_t>(-1), group), 0);
    chmod(path("kept.csv").c_str(), 0604);

    ASSERT_TRUE(writeVersion(path("kept.csv"), "new"));
    EXPECT_TRUE(holds(path("kept.csv"), "new"));
    struct stat st {};
    stat(path("kept.csv").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(st.st_gid, group);
}

// A new file beside a name within 13 bytes of the 255-byte limit cannot be made.
TEST_P(FileReplacementTest, ANameNearTheLengthLimit) {
    const std::string name = std::string(246, 'n') + ".csv";
    writeFile(path(name), "old");
    chmod(path(name).c_str(), 0640);
    ASSERT_TRUE(writeVersion(path(name), "long"));
    EXPECT_TRUE(holds(path(name), "long"));
    EXPECT_EQ(fs::status(path(name)).permissions(), fs::perms(0640));

    const std::string fresh = std::string(250, 'f') + ".csv";
    const mode_t mask = umask(022);
    const bool written = writeVersion(path(fresh), "fresh");
    umask(mask);
    ASSERT_TRUE(written);
    EXPECT_TRUE(holds(path(fresh), "fresh"));
    EXPECT_EQ(fs::status(path(fresh)).permissions(), fs::perms(0644));
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{fresh, name}));
    expectNothingLeftInTheTemporaryFolder();
}

// The disk fills while the new content is produced, beside the file and in the temporary folder.
TEST_P(FileReplacementTest, AFailureWhileProducingLeavesTheOldFile) {
    const std::string name = std::string(246, 'n') + ".csv";
    for (const std::string& file : {path("short.csv"), path(name)}) {
        writeFile(file, "old");
        const int code = inChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{20000, 20000};
            setrlimit(RLIMIT_FSIZE, &limit);
            return writeVersion(file, "big", 100000) ? 1 : 0;
        });
        EXPECT_EQ(code, 0) << file;
        EXPECT_EQ(readFile(file), "old");
    }
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{name, "short.csv"}));
    expectNothingLeftInTheTemporaryFolder();
}

TEST_P(FileReplacementTest, AFolderTheUserMayNotWrite) {
    writeFile(path("open.csv"), "old");
    writeFile(path("closed.csv"), "old");
    chmod(path("open.csv").c_str(), 0666);
    chmod(path("closed.csv").c_str(), 0444);
    // The ordinary user reaches the folders and may use the temporary folder.
    chmod(sandboxFolder().c_str(), 0711);
    chmod(temp.c_str(), 01777);
    chmod(folder.c_str(), 0555);
    const int code = asOrdinaryUser([&] {
        if (!writeVersion(path("open.csv"), "new"))
            return 1;
        if (writeVersion(path("closed.csv"), "new"))
            return 2;
        return 0;
    });
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(holds(path("open.csv"), "new"));
    EXPECT_EQ(readFile(path("closed.csv")), "old");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"closed.csv", "open.csv"}));
    expectNothingLeftInTheTemporaryFolder();
}

INSTANTIATE_TEST_SUITE_P(Writers, FileReplacementTest,
                         ::testing::Values(Writer::SettingsStore, Writer::Export),
                         [](const auto& info) {
                             return info.param == Writer::SettingsStore ? "SettingsStore"
                                                                        : "Export";
                         });

} // namespace
} // namespace ovena::test
