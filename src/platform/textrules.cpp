#include "platform/textrules.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/errors.h"

namespace iconlane {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the run of digits at `pos`.
std::size_t DigitRun(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return end - pos;
}

// Length of the leading number of `text` (sign, digits, fraction, exponent), 0 when there is none.
std::size_t NumberPrefixLength(std::string_view text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    std::size_t digits = DigitRun(text, pos);
    pos += digits;
    if (pos < text.size() && text[pos] == '.') {
        std::size_t fraction = DigitRun(text, pos + 1);
        digits += fraction;
        pos += 1 + fraction;
    }
    if (digits == 0) return 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        std::size_t exponentDigits = DigitRun(text, exponent);
        if (exponentDigits > 0) pos = exponent + exponentDigits;
    }
    return pos;
}

}  // namespace

double NumericValue(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    text.remove_prefix(start);
    std::size_t length = NumberPrefixLength(text);
    if (length == 0) return 0.0;
    std::string number(text.substr(0, length));
    return std::strtod(number.c_str(), nullptr);
}

std::int32_t RoundToWhole(double value) {
    // nearbyint rounds in the default mode, to nearest with halves to the even neighbour.
    double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        throw RuntimeError(kOverflow);
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t WholeNumberValue(std::string_view text) {
    return RoundToWhole(NumericValue(text));
}

std::string SignedNumberText(long long number) {
    std::string digits = std::to_string(number);
    return number < 0 ? digits : " " + digits;
}

int FindText(std::string_view text, std::string_view what, int start) {
    if (start < 1) throw RuntimeError(kInvalidArgument);
    if (static_cast<std::size_t>(start) > text.size() + 1) return 0;
    std::size_t found = text.find(what, static_cast<std::size_t>(start - 1));
    if (found == std::string_view::npos) return 0;
    if (found + 1 > static_cast<std::size_t>(kMaxTextPosition)) throw RuntimeError(kOverflow);
    return static_cast<int>(found + 1);
}

std::string UpperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string LowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string QuotedExcerpt(std::string_view text) {
    int characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        bool startsCharacter = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (startsCharacter && ++characters > kMaxQuotedCharacters) {
            return std::string(text.substr(0, at)) + "...";
        }
    }
    return std::string(text);
}

std::string BreakLongRuns(std::string_view text, int maxRun) {
    std::string broken;
    int run = 0;
    for (char c : text) {
        bool startsCharacter = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            run = 0;
        } else if (startsCharacter && run++ == maxRun) {
            broken += '\n';
            run = 1;
        }
        broken += c;
    }
    return broken;
}

bool IsUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        auto byte = [&](std::size_t n) { return static_cast<unsigned char>(text[at + n]); };
        unsigned char lead = byte(0);
        std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
        if (length == 0 || at + length > text.size()) return false;
        for (std::size_t n = 1; n < length; ++n) {
            if ((byte(n) & 0xC0) != 0x80) return false;
        }
        // Overlong three- and four-byte forms, surrogates and values above U+10FFFF.
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
            (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)) {
            return false;
        }
        at += length;
    }
    return true;
}

std::string_view CutAtCharacter(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace iconlane
