#include "app/ProgramFile.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace ovena;

TEST(HelpDocument, FoundBesideTheProgramFirstThenInTheInstalledDataFolder) {
    const std::string prefix = test::sandboxFolder() + "/prefix/";
    const std::string bin = prefix + "bin/";
    fs::create_directories(bin);
    fs::create_directories(prefix + "share/ovena");

    // Neither exists: the failure names the place beside the program.
    EXPECT_EQ(helpDocumentPath(bin), bin + "Ovena Help.pdf");

    test::writeFile(prefix + "share/ovena/Ovena Help.pdf", "%PDF-1.4\n");
    EXPECT_EQ(helpDocumentPath(bin), bin + "../share/ovena/Ovena Help.pdf");

    test::writeFile(bin + "Ovena Help.pdf", "%PDF-1.4\n");
    EXPECT_EQ(helpDocumentPath(bin), bin + "Ovena Help.pdf");
}

} // namespace
