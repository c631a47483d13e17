#include "support/TestEnvironment.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace ovena::test {
namespace {

// ovena-cli convert with the format to `output`; answers the exit status.
int convertTo(const std::string& format, const std::string& input, const std::string& output) {
    const std::string command = std::string("'") + OVENA_CLI_PROGRAM + "' convert --format " +
                                format +
                                " --options ShowColHeaders --footer '%.0f rows' --output '" +
                                output + "' '" + input + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HtmlRtfConvert, TablesBecomePagesAndDocuments) {
    const std::string folder = sandboxFolder();
    const std::string input = folder + "/table.csv";
    writeFile(input, "Fuel,Note\r\n"
                     "Gas <L>,see http://tev.example/?a=1&b=2\r\n"
                     "Heiz\xF6l,{draft}\r\n");

    ASSERT_EQ(convertTo("html", input, folder + "/page.htm"), 0);
    const std::string page = readFile(folder + "/page.htm");
    EXPECT_NE(page.find("<td>Gas &lt;L&gt;</td>"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"http://tev.example/?a=1&amp;b=2\">"), std::string::npos);
    EXPECT_NE(page.find("</table><br>2 rows<br>"), std::string::npos);

    ASSERT_EQ(convertTo("rtf", input, folder + "/document.rtf"), 0);
    ASSERT_EQ(convertTo("word", input, folder + "/document.doc"), 0);
    const std::string rtf = readFile(folder + "/document.rtf");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
    EXPECT_NE(rtf.find("Heiz\\'f6l\\cell \r\n\\{draft\\}\\cell \r\n"), std::string::npos);
    EXPECT_EQ(rtf.substr(rtf.size() - 16), "2 rows\\par\r\n}}\r\n");
    EXPECT_EQ(readFile(folder + "/document.doc"), rtf) << "Word and RTF get the same document";
}

} // namespace
} // namespace ovena::test
