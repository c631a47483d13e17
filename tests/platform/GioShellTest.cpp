#include "platform/Shell.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using ovena::GioShell;
using ovena::test::readFile;
using ovena::test::sandboxFolder;
using ovena::test::writeFile;

// A desktop of its own: the system's MIME database, but only the applications and defaults
// written here. GIO reads these folders once per process, so every case sets up the same desktop.
class GioShellTest : public testing::Test {
protected:
    const std::string root = sandboxFolder();
    const std::string record = root + "/opened.txt";

    void SetUp() override {
        fs::remove(record);
        const std::string systemData = root + "/system-data";
        fs::create_directories(systemData);
        if (!fs::exists(systemData + "/mime"))
            fs::create_directory_symlink("/usr/share/mime", systemData + "/mime");
        setenv("XDG_DATA_DIRS", systemData.c_str(), 1);

        const std::string viewer = root + "/viewer.sh";
        writeFile(viewer, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record + "'\n");
        fs::permissions(viewer, fs::perms::owner_all);
        fs::create_directories(root + "/data/applications");
        writeFile(root + "/data/applications/ovena-test-viewer.desktop",
                  "[Desktop Entry]\nType=Application\nName=Ovena Test Viewer\n"
                  "Exec=" +
                      viewer + " %f\nIcon=ovena-test-viewer\nMimeType=text/csv;\n");
        writeFile(root + "/data/applications/ovena-test-browser.desktop",
                  "[Desktop Entry]\nType=Application\nName=Ovena Test Browser\n"
                  "Exec=" +
                      viewer + " %f\nIcon=" + root + "/browser.png\nMimeType=text/html;\n");
        writeFile(root + "/config/mimeapps.list", "[Default Applications]\n"
                                                  "text/csv=ovena-test-viewer.desktop\n"
                                                  "text/html=ovena-test-browser.desktop\n");
    }

    // The paths the viewer received, once it has written them (bounded wait).
    std::string waitForRecord() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (fs::exists(record)) {
                const std::string lines = readFile(record);
                if (!lines.empty() && lines.back() == '\n')
                    return lines;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }
};

TEST_F(GioShellTest, AnswersTheAssociationQuestions) {
    GioShell shell;
    EXPECT_EQ(shell.fileTypeForExtension("csv"), "text/csv");
    EXPECT_EQ(shell.fileTypeForExtension("xls"), "application/vnd.ms-excel");
    EXPECT_EQ(shell.fileTypeForExtension("xlsx"),
              "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    EXPECT_EQ(shell.fileTypeForExtension("htm"), "text/html");
    EXPECT_EQ(shell.fileTypeForExtension("no-such-extension-640"), std::nullopt);
    EXPECT_EQ(shell.fileTypeForExtension(""), std::nullopt);
    EXPECT_EQ(shell.fileTypeForExtension("x/csv"), std::nullopt);

    EXPECT_TRUE(shell.hasOpenCommand("text/csv"));
    EXPECT_TRUE(shell.hasOpenCommand("text/html"));
    EXPECT_FALSE(shell.hasOpenCommand("application/vnd.ms-excel"));
    EXPECT_FALSE(shell.hasOpenCommand("no/such-type"));

    EXPECT_EQ(shell.defaultIcon("text/csv"), "ovena-test-viewer,0");
    EXPECT_EQ(shell.defaultIcon("text/html"), root + "/browser.png,0");
    EXPECT_EQ(shell.defaultIcon("application/vnd.ms-excel"), std::nullopt);
}

TEST_F(GioShellTest, OpensADocumentInItsDefaultApplication) {
    const std::string document = root + "/tmp/Mess daten \xC3\xA4.csv";
    writeFile(document, "1;2\r\n");
    GioShell shell;
    EXPECT_GT(shell.openDocument(document), 32);
    EXPECT_EQ(waitForRecord(), document + "\n");
}

TEST_F(GioShellTest, ReportsWhyADocumentCannotBeOpened) {
    GioShell shell;
    EXPECT_EQ(shell.openDocument(root + "/tmp/missing.csv"), 2);
    EXPECT_EQ(shell.openDocument(root + "/no-such-folder/missing.csv"), 3);
    EXPECT_EQ(shell.openDocument(""), 2);

    writeFile(root + "/tmp/table.xls", "no application for this type");
    EXPECT_EQ(shell.openDocument(root + "/tmp/table.xls"), 31);
    writeFile(root + "/tmp/unknown.no-such-extension-640", "");
    EXPECT_EQ(shell.openDocument(root + "/tmp/unknown.no-such-extension-640"), 31);
    EXPECT_FALSE(fs::exists(record)) << "nothing was launched";
}

} // namespace
