// The run-time rules for numbers and text positions that the whole program shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace iconlane {

// The number at the start of a text (after blanks and tabs), 0 when the text does not begin with
// one. Accepts a sign, a decimal fraction and an exponent: " -2.5e1xyz" is -25.
double NumericValue(std::string_view text);

// A value rounded to the nearest whole number, a half going to the even neighbour (2.5 -> 2,
// 3.5 -> 4). Outside the signed 32-bit range it fails with overflow (error 6).
std::int32_t RoundToWhole(double value);

// The whole-number value of a text: NumericValue, then RoundToWhole.
std::int32_t WholeNumberValue(std::string_view text);

// Decimal text with one blank before a number that is not negative: " 6", "-6".
std::string SignedNumberText(long long number);

// Text positions count from 1 and are held in 16 bits: a position of 32,767 or more fails with
// overflow (error 6). FindText answers 0 when `what` does not occur from position `start` on.
inline constexpr int kMaxTextPosition = 32766;
int FindText(std::string_view text, std::string_view what, int start = 1);

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// Letter case removed as the file system ignores it: two names of one file fold alike. ASCII
// letters become lower case, as LowerCase makes them; every other letter lower case as well, or
// its own form where Windows keeps it apart (the Kelvin sign from "K"). Not UTF-8 stays as it is.
std::string FoldCase(std::string_view text);

// Blanks (spaces and tabs) at the end of a text removed.
std::string_view TrimTrailingBlanks(std::string_view text);

// User text as a message quotes it: whole up to 200 characters, else its first 200 characters and
// "...", so that a huge line still leaves a readable box. A UTF-8 character is never cut apart.
inline constexpr int kMaxQuotedCharacters = 200;
std::string QuotedExcerpt(std::string_view text);

// True for text that is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF); plain ASCII is.
bool IsUtf8(std::string_view text);

// The longest start of a UTF-8 text that fits in `maxBytes` without cutting a character apart.
std::string_view CutAtCharacter(std::string_view text, std::size_t maxBytes);

// A line feed after every `maxRun` characters of a run without blanks or line ends, for a message
// box that breaks its lines only at blanks: a long word would make it wider than the screen.
std::string BreakLongRuns(std::string_view text, int maxRun);

}  // namespace iconlane
