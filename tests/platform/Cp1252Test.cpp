#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <optional>

namespace {

using ovena::cp1252ToUtf8;
using ovena::equalsIgnoringCase;
using ovena::utf8ToCp1252;

// The C library's own converter, as an independent reference; it leaves the five undefined
// bytes unconverted, so it answers no value for them.
std::optional<std::string> referenceUtf8(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char in = static_cast<char>(byte);
    char out[8];
    char* inPtr = &in;
    char* outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    return std::string(out, outPtr);
}

TEST(Cp1252, EveryByteConvertsAsTheReferenceAndRoundTrips) {
    int undefined = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = cp1252ToUtf8(byte);
        if (auto expected = referenceUtf8(static_cast<unsigned char>(b)))
            EXPECT_EQ(utf8, *expected) << "byte " << b;
        else
            ++undefined;
        EXPECT_EQ(utf8ToCp1252(utf8), byte) << "byte " << b;
    }
    EXPECT_EQ(undefined, 5) << "the reference converter must know the other 251 bytes";
}

TEST(Cp1252, HighRangeAndUndefinedBytes) {
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");         // euro sign
    EXPECT_EQ(cp1252ToUtf8("\x8A\x9F"), "\xC5\xA0\xC5\xB8"); // S caron, Y diaeresis
    EXPECT_EQ(cp1252ToUtf8("Best\xE4tigen"), "Best\xC3\xA4tigen");
    for (const char* undefined : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
        const std::string utf8 = cp1252ToUtf8(undefined);
        ASSERT_EQ(utf8.size(), 2u);
        EXPECT_EQ(utf8[0], '\xC2');
        EXPECT_EQ(utf8[1], undefined[0]);
    }
    const std::string allBytes = [] {
        std::string s;
        for (int b = 255; b >= 0; --b)
            s += static_cast<char>(b);
        return s;
    }();
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(allBytes)), allBytes);
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("a\xE2\x86\x92"
                           "b"),
              "a?b");                                 // arrow
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80"), "?"); // emoji, four bytes
    EXPECT_EQ(utf8ToCp1252("\xC2\x80"), "?");         // U+0080: its byte is the euro sign's
    EXPECT_EQ(utf8ToCp1252("\xC5\x82"), "?");         // l with stroke
}

TEST(Cp1252, MalformedUtf8BecomesQuestionMarksWithoutLosingTheRest) {
    EXPECT_EQ(utf8ToCp1252("x\x80y"), "x?y"); // lone continuation byte
    EXPECT_EQ(utf8ToCp1252("x\xC3"), "x?");   // cut at the end
    EXPECT_EQ(utf8ToCp1252("\xC3"
                           "A"),
              "?A"); // continuation missing
    EXPECT_EQ(utf8ToCp1252("\xE2\x82"
                           "A"),
              "?A");                                  // cut three-byte sequence
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");        // overlong slash
    EXPECT_EQ(utf8ToCp1252("\xE0\x80\xAF"), "?");     // overlong, three bytes
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"), "?");     // surrogate
    EXPECT_EQ(utf8ToCp1252("\xF4\x90\x80\x80"), "?"); // above U+10FFFF
    EXPECT_EQ(utf8ToCp1252("\xFF\xFE"), "??");
    EXPECT_EQ(utf8ToCp1252(std::string_view("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(utf8ToCp1252(""), "");
}

TEST(Cp1252, CaseIsIgnoredForPlainAndAccentedLettersOnly) {
    EXPECT_TRUE(equalsIgnoringCase("QuickTime.dif", "quicktime.DIF"));
    EXPECT_TRUE(equalsIgnoringCase("M\xC4RZ", "m\xE4rz"));                   // Ä, ä
    EXPECT_TRUE(equalsIgnoringCase("\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF")); // Š Œ Ž Ÿ
    EXPECT_FALSE(equalsIgnoringCase("\xD7", "\xF7")) << "multiplication and division signs";
    EXPECT_FALSE(equalsIgnoringCase("[", "{")) << "not letters";
    EXPECT_FALSE(equalsIgnoringCase("True", "Tru"));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
}

} // namespace
