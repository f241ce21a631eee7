// The shared text rules: numbers and positions in text, line and item reading, command lines.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "fake_platform.h"
#include "platform/commandline.h"
#include "platform/errors.h"
#include "platform/textreader.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

using fake::ErrorOf;
using Texts = std::vector<std::string>;

template <typename Reader>
Texts ReadAll(const std::string& contents, std::string (Reader::*read)()) {
    Reader reader(contents);
    Texts parts;
    while (!reader.AtEnd()) parts.push_back((reader.*read)());
    return parts;
}

TEST(TextRulesTest, NumericValueReadsOnlyTheLeadingNumber) {
    const std::vector<std::pair<std::string, double>> cases = {
        {"3", 3},    {"  -2.5xyz", -2.5}, {"\t+4", 4},    {" -2.5e1xyz", -25},
        {".5", 0.5}, {"1e", 1},           {"1.5.3", 1.5}, {"7 8", 7},
        {"0x10", 0}, {"abc", 0},          {"", 0},        {"-", 0},
        {"e5", 0},   {"- 5", 0}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(NumericValue(text), expected) << text;
}

TEST(TextRulesTest, RoundToWholeHalvesToEvenAndOverflowsPast32Bits) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max(), kMin = -kMax - 1;
    const std::vector<std::pair<double, std::int32_t>> cases = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2},         {-3.5, -4},
        {0.5, 0}, {2.6, 3}, {kMax + 0.4, kMax}, {kMin - 0.5, kMin}};
    for (const auto& [value, whole] : cases) EXPECT_EQ(RoundToWhole(value), whole) << value;
    for (double value : {kMax + 0.5, kMin - 1.0, HUGE_VAL}) {
        EXPECT_EQ(ErrorOf([&] { RoundToWhole(value); }), kOverflow) << value;
    }
}

TEST(TextRulesTest, SignedNumberTextLeavesRoomForTheSign) {
    const std::vector<std::pair<long long, std::string>> cases = {
        {6, " 6"}, {-6, "-6"}, {0, " 0"}, {-1234567890123, "-1234567890123"}};
    for (const auto& [number, expected] : cases) EXPECT_EQ(SignedNumberText(number), expected);
}

TEST(TextRulesTest, FindTextCountsFromOneAndOverflowsFrom32767) {
    const std::string far(32765, 'a');
    // The last case finds nothing in a long text, which is no overflow.
    const std::vector<std::tuple<std::string, std::string, int, int>> cases = {
        {"abc", "a", 1, 1}, {"abc", "c", 1, 3}, {"abc", "x", 1, 0},         {"a,b,c", ",", 3, 4},
        {"abc", "a", 2, 0}, {"", ",", 1, 0},    {far + ",", ",", 1, 32766}, {far + far, ",", 1, 0}};
    for (const auto& [text, what, start, found] : cases) {
        EXPECT_EQ(FindText(text, what, start), found) << text.size();
    }
    for (const std::string& text : {far + "a,", far + far + ","}) {
        EXPECT_EQ(ErrorOf([&] { FindText(text, ","); }), kOverflow) << text.size();
    }
}

TEST(TextRulesTest, QuotedExcerptKeepsTwoHundredWholeCharacters) {
    const std::string a199(199, 'a'), e = "\xC3\xA9", euro = "\xE2\x82\xAC";  // é, €
    std::string e201;
    for (int k = 0; k < 201; ++k) e201 += e;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {a199 + "b", a199 + "b"},
        {a199 + "bc", a199 + "b..."},
        {a199 + e, a199 + e},
        {a199 + e + euro, a199 + e + "..."},
        {a199 + "b" + euro, a199 + "b..."},
        {e201, e201.substr(0, 400) + "..."}};
    for (const auto& [text, quoted] : cases) EXPECT_EQ(QuotedExcerpt(text), quoted) << text.size();
}

TEST(TextRulesTest, BreakLongRunsBreaksOnlyRunsWithoutBlanks) {
    const std::string e = "\xC3\xA9";  // é, two bytes
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"abc", "abc"},
        {"abcdefg", "abc\ndef\ng"},
        {"ab cdef", "ab cde\nf"},
        {"ab\ncdef", "ab\ncde\nf"},
        {e + e + e + e, e + e + e + "\n" + e},
        {"", ""}};
    for (const auto& [text, broken] : cases) EXPECT_EQ(BreakLongRuns(text, 3), broken) << text;
}

TEST(TextReaderTest, LinesEndAtCrLfLoneCrOrLoneLf) {
    const std::vector<std::pair<std::string, Texts>> cases = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n", {"a"}},
        {"a\r\n", {"a"}},
        {"\n\nx", {"", "", "x"}},
        {"x\n\r", {"x", ""}},  // LF then CR are two line ends, not one
        {"", {}},
        {"  padded  ", {"  padded  "}}};
    for (const auto& [contents, lines] : cases) {
        EXPECT_EQ(ReadAll(contents, &LineReader::ReadLine), lines) << contents;
    }
}

TEST(TextReaderTest, ItemsEndAtCommasAndLineEnds) {
    const std::vector<std::pair<std::string, Texts>> cases = {{"a,b", {"a", "b"}},
                                                              {"  a  ,\tb\t", {"a", "b"}},
                                                              {"\"x, y\" junk,w", {"x, y", "w"}},
                                                              {"  \" q \"", {" q "}},
                                                              {"a,,b", {"a", "", "b"}},
                                                              {"a\nb\r\nc", {"a", "b", "c"}},
                                                              {"a\r\n\r\nb", {"a", "", "b"}},
                                                              {"k=v w, x", {"k=v w", "x"}}};
    for (const auto& [contents, items] : cases) {
        EXPECT_EQ(ReadAll(contents, &ItemReader::ReadItem), items) << contents;
    }
}

// Editors put a UTF-8 byte-order mark before the text; it belongs to no line and no item, and
// only at the very start is it one.
TEST(TextReaderTest, ALeadingByteOrderMarkIsSkipped) {
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(ReadAll(mark + ";c\r\nx", &LineReader::ReadLine), (Texts{";c", "x"}));
    EXPECT_EQ(ReadAll(mark, &LineReader::ReadLine), Texts{});
    EXPECT_EQ(ReadAll("a\n" + mark + "b", &LineReader::ReadLine), (Texts{"a", mark + "b"}));
    EXPECT_EQ(ReadAll(mark + "CLICKMODE=SINGLE,x", &ItemReader::ReadItem),
              (Texts{"CLICKMODE=SINGLE", "x"}));
    EXPECT_EQ(ReadAll(mark + mark + "k", &ItemReader::ReadItem), Texts{mark + "k"});
}

TEST(CommandLineTest, ArgumentsOfDropsOnlyTheProgramPathAndTheBlanksAfterIt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"iconlane.exe /BATCH:a.txt", "/BATCH:a.txt"},
        {"iconlane.exe", ""},
        {"iconlane.exe \t x.exe,Tip  ", "x.exe,Tip  "},
        {"\"C:\\My Apps\\iconlane.exe\"  \"a b\",c ", "\"a b\",c "},
        {"\"C:\\My Apps\\iconlane.exe", ""}};
    for (const auto& [raw, expected] : cases) EXPECT_EQ(ArgumentsOf(raw), expected) << raw;
}

TEST(CommandLineTest, QuotedProgramPathEndsAtItsClosingQuote) {
    EXPECT_EQ(ArgumentsOf("\"C:\\Apps\\iconlane.exe\"/BATCH:a.txt"), "/BATCH:a.txt");
}

}  // namespace
}  // namespace iconlane
