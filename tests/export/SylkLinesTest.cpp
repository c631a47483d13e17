#include "export/SylkLines.h"

#include <gmock/gmock.h>

namespace ovena::sylk {
namespace {

TEST(SylkLines, RecordsAndFormats) {
    EXPECT_EQ(cellRecord(3, 12, "3.4"), "C;X3;Y12;K3.4");
    EXPECT_EQ(cellFormatRecord(2, 1, 7), "F;P2;FG0G;X1;Y7");
    EXPECT_EQ(formatLine("dd.mm.yyyy"), "P;Pdd.mm.yyyy");
    EXPECT_EQ(formatLine("\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)"),
              "P;P\"$\"#,##0.00_);;[Red]\\(\"$\"#,##0.00\\)");
}

TEST(SylkLines, TextValuesAreQuotedCutAndKeepTheirSemicolons) {
    EXPECT_EQ(textValue(""), "\"\"");
    EXPECT_EQ(textValue("say \"hi\""), "\"say \"hi\"\"");
    EXPECT_EQ(textValue("a;b"), "\"a;;b\"");
    const std::string cut = textValue(std::string(250, 'x') + "123456789");
    EXPECT_EQ(cut, '"' + std::string(250, 'x') + "12345\"");
}

TEST(SylkLines, WidthsAreCappedAt255) {
    EXPECT_EQ(widthLine(1, 4), "F;W1 1 4");
    EXPECT_EQ(widthLine(12, 255), "F;W12 12 255");
    EXPECT_EQ(widthLine(2, 300), "F;W2 2 255");
    EXPECT_EQ(widthLine(3, 0), "F;W3 3 1") << "an empty column keeps a width readers accept";
}

TEST(SylkLines, GeneralNumberNotation) {
    EXPECT_EQ(generalNumber(0), "0");
    EXPECT_EQ(generalNumber(3.4), "3.4");
    EXPECT_EQ(generalNumber(-12.5), "-12.5");
    EXPECT_EQ(generalNumber(45999), "45999");
    EXPECT_EQ(generalNumber(45999.4375), "45999.4375");
    EXPECT_EQ(generalNumber(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(generalNumber(5.0 / 86400), "0.0000578703703703704");
    EXPECT_EQ(generalNumber(0.000001), "1E-6");
    EXPECT_EQ(generalNumber(123456789012345.0), "123456789012345");
    EXPECT_EQ(generalNumber(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(generalNumber(100), "100");
}

} // namespace
} // namespace ovena::sylk
