#include "ExportFixture.h"

#include "export/ExportError.h"

#include <csignal>
#include <filesystem>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ovena::test {
namespace {

using O = TExportOption;
const std::string OldBytes = "the previous export\r\n\x80\x00 end";

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
    // Runs `run` in a child process and answers its exit code.
    static int inChild(const std::function<int()>& run) {
        const pid_t child = fork();
        if (child == 0)
            _exit(run());
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
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
    const int code = inChild([&] {
        // A superuser writes anywhere: become an ordinary user first.
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                return 3;
        }
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

} // namespace
} // namespace ovena::test
