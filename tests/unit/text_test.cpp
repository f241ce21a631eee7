// The shared text rules: numbers in text, quoted excerpts, line and item reading, command lines,
// hot keys.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "fake_platform.h"
#include "platform/commandline.h"
#include "platform/hotkeys.h"
#include "platform/textreader.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

using namespace fake;

TEST(TextRulesTest, LeadingNumberRoundedHalfToEvenWithin32Bits) {
    // The text, its numeric value, that rounded, the error rounding fails with
    // clang-format off
    const std::vector<std::tuple<std::string, double, std::int32_t, int>> cases = {
        {"  -2.5xyz", -2.5, -2, 0}, {"\t+3.5", 3.5, 4, 0}, {"-3.5", -3.5, -4, 0}, {".5", .5, 0, 0},
        {" -2.5e1x", -25, -25, 0}, {"1e", 1, 1, 0}, {"1.5.3", 1.5, 2, 0}, {"7 8", 7, 7, 0},
        {"0x10", 0, 0, 0}, {"-", 0, 0, 0}, {"e5", 0, 0, 0}, {"- 5", 0, 0, 0},
        {"1e999", HUGE_VAL, 0, kOverflow}, {"2147483647.4", 2147483647.4, INT32_MAX, 0},
        {"-2147483648.5", -2147483648.5, INT32_MIN, 0},
        {"2147483647.5", 2147483647.5, 0, kOverflow}, {"-2147483649", -2147483649, 0, kOverflow}};
    // clang-format on
    for (const auto& [text, value, whole, error] : cases) {
        std::int32_t got = 0;
        EXPECT_EQ(NumericValue(text), value) << text;
        EXPECT_EQ(ErrorOf([&] { got = WholeNumberValue(text); }), error) << text;
        EXPECT_EQ(got, whole) << text;
    }
    EXPECT_EQ(SignedNumberText(6) + SignedNumberText(0) + SignedNumberText(-6), " 6 0-6");
}

TEST(TextRulesTest, QuotedExcerptKeeps200WholeCharacters) {
    const std::string a199(199, 'a'), e = "\xC3\xA9", euro = "\xE2\x82\xAC";  // é, €
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> excerpts = {
        {"", ""}, {a199 + "b", a199 + "b"}, {a199 + "bc", a199 + "b..."}, {a199 + e, a199 + e},
        {a199 + e + euro, a199 + e + "..."}};
    // clang-format on
    for (const auto& [text, excerpt] : excerpts) EXPECT_EQ(QuotedExcerpt(text), excerpt) << text;
}

TEST(HotKeyTest, ChordsAreReadWithoutLetterCaseAndNamedInOneOrder) {
    // The text, the modifiers (C Ctrl, A Alt, S Shift, W Win) and key read, the name; "" for none
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, unsigned, std::string>> cases = {
        {"Ctrl+Alt+Q", "CA", 'Q', "Ctrl+Alt+Q"}, {"alt+CTRL+q", "CA", 'Q', "Ctrl+Alt+Q"},
        {"Win+Shift+f24", "SW", 0x87, "Shift+Win+F24"}, {"ctrl+F1", "C", 0x70, "Ctrl+F1"},
        {" Alt + 0 ", "A", '0', "Alt+0"}, {"Win+space", "W", 0x20, "Win+Space"},
        {"Ctrl+Alt+Shift+Win+9", "CASW", '9', "Ctrl+Alt+Shift+Win+9"}, {"Win+F9", "W", 0x78, "Win+F9"},
        {"Q", "", 0, ""}, {"Shift+Q", "", 0, ""}, {"Ctrl+Alt", "", 0, ""}, {"Ctrl+", "", 0, ""},
        {"+Q", "", 0, ""}, {"Ctrl++Q", "", 0, ""}, {"Ctrl+Ctrl+Q", "", 0, ""},
        {"Ctrl+QW", "", 0, ""}, {"Ctrl+Q+W", "", 0, ""}, {"Control+Q", "", 0, ""},
        {"Ctrl+F25", "", 0, ""}, {"Ctrl+F0", "", 0, ""}, {"Ctrl+F01", "", 0, ""},
        {"Ctrl+F1x", "", 0, ""}, {"Ctrl+\xC3\xA9", "", 0, ""}, {"", "", 0, ""}};
    // clang-format on
    for (const auto& [text, modifiers, key, name] : cases) {
        const std::optional<HotKeyChord> chord = ReadChord(text);
        std::string read;
        for (const char* m = "CASW"; *m; ++m)
            if (chord && chord->modifiers & (*m == 'C' ? 2 : *m == 'A' ? 1 : *m == 'S' ? 4 : 8))
                read += *m;
        EXPECT_EQ(std::tuple(read, chord ? chord->key : 0u, chord ? ChordName(*chord) : ""),
                  std::tuple(modifiers, key, name))
            << text;
    }
}

// Two names of one file fold alike: every letter as Windows compares names, ASCII lower-cased.
TEST(TextRulesTest, CaseIsFoldedAsTheFileSystemFoldsIt) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> folds = {
        {"Mail.LNK", "mail.lnk"},
        {"\xC3\x89" "CLAIR \xC3\xA9" "clair", "\xC3\xA9" "clair \xC3\xA9" "clair"},  // É, é
        {"\xCE\xA3\xCE\x91\xCF\x82", "\xCF\x83\xCE\xB1\xCF\x83"},  // ΣΑς: final sigma too
        {"\xD0\x96\xC5\xBF\xC4\xB1", "\xD0\xB6si"},  // Ж, long s, dotless i
        {"\xEF\xBC\xA1\xC8\xBA", "\xEF\xBD\x81\xE2\xB1\xA5"},  // fullwidth A; Ⱥ to a longer ⱥ
        {"\xC4\xB0\xE2\x84\xAA\xC3\x9F", "\xC4\xB0\xE2\x84\xAA\xC3\x9F"},  // İ, Kelvin, ß apart
        {"\xF0\x90\x90\x80\xFF\xC3", "\xF0\x90\x90\x80\xFF\xC3"}};  // beyond the BMP, no UTF-8
    // clang-format on
    for (const auto& [text, folded] : folds) EXPECT_EQ(FoldCase(text), folded) << text;
}

TEST(TextReaderTest, LinesAndItemsAfterAnyByteOrderMark) {
    const std::string bom = "\xEF\xBB\xBF";
    // Items or lines, the text, what is read
    // clang-format off
    const std::vector<std::tuple<bool, std::string, Texts>> cases = {
        {false, "a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {false, "a\r\n", {"a"}},
        {false, "\n\nx\n\r", {"", "", "x", ""}}, {false, " padded  ", {" padded  "}},
        {false, bom + ";c\r\nx", {";c", "x"}}, {false, bom, {}},
        {false, "a\n" + bom + "b", {"a", bom + "b"}}, {true, "  a  ,\tb\t", {"a", "b"}},
        {true, "\"x, y\" junk,w", {"x, y", "w"}}, {true, "  \" q \"", {" q "}},
        {true, "\"open\nb", {"open", "b"}},
        {true, "a,,b\nc\r\n\r\nd", {"a", "", "b", "c", "", "d"}},
        {true, bom + bom + "k=v w, x", {bom + "k=v w", "x"}}};
    // clang-format on
    for (const auto& [items, contents, parts] : cases) {
        Texts got;
        LineReader lines(contents);
        ItemReader reader(contents);
        while (items && !reader.AtEnd()) got.push_back(reader.ReadItem());
        while (!items && !lines.AtEnd()) got.push_back(lines.ReadLine());
        EXPECT_EQ(got, parts) << contents;
    }
}

TEST(CommandLineTest, ArgumentsFollowTheProgramPathAndItsBlanks) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"iconlane.exe /BATCH:a.txt", "/BATCH:a.txt"}, {"iconlane.exe", ""},
        {"iconlane.exe \t x.exe,Tip  ", "x.exe,Tip  "},
        {"\"C:\\My Apps\\iconlane.exe\"  \"a b\",c ", "\"a b\",c "},
        {"\"C:\\Apps\\iconlane.exe\"/BATCH:a.txt", "/BATCH:a.txt"},
        {"\"C:\\My Apps\\iconlane.exe", ""}};
    // clang-format on
    for (const auto& [raw, arguments] : cases) EXPECT_EQ(ArgumentsOf(raw), arguments) << raw;
}

// As CommandLineToArgvW splits what follows the program's path, by Microsoft's documented rules.
TEST(CommandLineTest, ArgumentsAreSplitAsWindowsSplitsThem) {
    // clang-format off
    const std::vector<std::pair<std::string, Texts>> cases = {
        {"", {}}, {" \t ", {}}, {" a\tb  c ", {"a", "b", "c"}},
        {"/ADDTO:\"C:\\My Lane\" \"C:\\a b.txt\"", {"/ADDTO:C:\\My Lane", "C:\\a b.txt"}},
        {"a\\\\b \\\\\\\\\"c d\"", {"a\\\\b", "\\\\c d"}},  // 2n backslashes: n, and the quote counts
        {"a\\\\\\\"b \"C:\\Lane\\\" x\"", {"a\\\"b", "C:\\Lane\" x"}},    // 2n + 1: n, and a quote
        {"\"C:\\Lane\\\\\" x", {"C:\\Lane\\", "x"}},
        {"\"a\"\"b c\"", {"a\"b", "c"}}, {"\"\" a\"\"\"b", {"", "a\"b"}}};  // doubled, tripled quotes
    // clang-format on
    for (const auto& [line, arguments] : cases) EXPECT_EQ(SplitArguments(line), arguments) << line;
}

}  // namespace
}  // namespace iconlane
