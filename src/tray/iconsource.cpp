#include "tray/iconsource.h"

#include <cstdlib>

#include "platform/errors.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of a plain decimal number at the start of `text` (sign, digits, fraction), 0 if none.
std::size_t DecimalLength(std::string_view text) {
    std::size_t pos = 0, digits = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    }
    return digits == 0 ? 0 : pos;
}

}  // namespace

std::string TargetExtension(std::string_view target) {
    std::string lower = LowerCase(target);
    if (lower.compare(0, 7, "http://") == 0) return ".htm";
    std::size_t dot = lower.rfind('.');
    return dot == std::string::npos ? lower : lower.substr(dot);
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string RegistryText(const std::string& bytes) {
    if (bytes.empty()) throw RuntimeError(kInvalidArgument);
    return bytes.substr(0, bytes.size() - 1);
}

std::int32_t IconNumberOf(std::string_view text) {
    text = TrimSpaces(text);
    std::size_t length = DecimalLength(text);
    if (length == 0 || length != text.size()) throw RuntimeError(kTypeMismatch);
    std::string number(text);
    return RoundToWhole(std::strtod(number.c_str(), nullptr));
}

std::optional<IconSource> IconSourceFromIconEntry(std::string_view value) {
    value = TrimSpaces(value);
    std::size_t comma = value.rfind(',');
    if (comma == std::string_view::npos) return std::nullopt;
    // The number is converted first: a bad number fails before the file is looked at.
    std::int32_t number = IconNumberOf(value.substr(comma + 1));
    return IconSource{std::string(TrimSpaces(value.substr(0, comma))), number};
}

IconSource IconSourceFromOpenCommand(std::string_view value) {
    value = TrimSpaces(value);
    if (auto source = IconSourceFromIconEntry(value)) return *source;
    return IconSource{std::string(value.substr(0, value.find(' '))), 0};
}

}  // namespace iconlane
