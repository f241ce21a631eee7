// Icon sources read from the registry: a target's extension, a value's text, icon numbers and the
// "file,number" and open-command forms. Only errors 5, 6 and 13 are expected; any other exception
// ends the run as a finding. One input is one value.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "fuzzsupport.h"
#include "platform/errors.h"
#include "platform/textrules.h"
#include "tray/iconsource.h"

namespace iconlane::fuzz {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The error number `call` fails with (only those in `allowed` may occur), 0 when it succeeds.
int ErrorOf(const std::function<void()>& call, std::initializer_list<int> allowed) {
    try {
        call();
    } catch (const RuntimeError& error) {
        bool expected = false;
        for (int number : allowed) expected = expected || error.Number() == number;
        if (!expected) std::fprintf(stderr, "unexpected error %d\n", error.Number());
        FUZZ_CHECK(expected);
        return error.Number();
    }
    return 0;
}

bool IsSpaceFree(std::string_view text) {
    return text.empty() || (text.front() != ' ' && text.back() != ' ');
}

void CheckTargetExtension(const std::string& target) {
    std::string extension = TargetExtension(target);
    std::string lower = LowerCase(target);
    if (lower.rfind("http://", 0) == 0) {
        FUZZ_CHECK(extension == ".htm");
        return;
    }
    // The extension ends the target; it is the whole target when there is no dot, else it holds
    // one dot, at its start.
    FUZZ_CHECK(lower.size() >= extension.size());
    FUZZ_CHECK(lower.compare(lower.size() - extension.size(), kNone, extension) == 0);
    if (lower.find('.') == kNone) {
        FUZZ_CHECK(extension == lower);
    } else {
        FUZZ_CHECK(extension.rfind('.') == 0);
    }
}

void CheckRegistryText(const std::string& bytes) {
    std::string text;
    int error = ErrorOf([&] { text = RegistryText(bytes); }, {kInvalidArgument});
    FUZZ_CHECK((error != 0) == bytes.empty());
    if (error == 0)
        FUZZ_CHECK(text.size() + 1 == bytes.size() && bytes.compare(0, text.size(), text) == 0);
}

// An icon number: a plain decimal number (sign, digits, fraction) between spaces, rounded half to
// even; checked against std::from_chars.
void CheckIconNumber(std::string_view text) {
    std::int32_t number = 0;
    int error = ErrorOf([&] { number = IconNumberOf(text); }, {kOverflow, kTypeMismatch});
    std::string_view trimmed = TrimSpaces(text);
    FUZZ_CHECK(IsSpaceFree(trimmed));
    std::string_view unsignedPart = trimmed;
    if (!trimmed.empty() && (trimmed[0] == '+' || trimmed[0] == '-')) unsignedPart.remove_prefix(1);
    bool plain = !unsignedPart.empty() && unsignedPart.find_first_not_of("0123456789.") == kNone &&
                 unsignedPart.find('.') == unsignedPart.rfind('.') &&
                 unsignedPart.find_first_of("0123456789") != kNone;
    FUZZ_CHECK((error == kTypeMismatch) == !plain);
    if (!plain) return;

    // from_chars takes no "+" and wants a digit before the dot.
    std::string digits(trimmed[0] == '-' ? "-0" : "0");
    digits += unsignedPart;
    double value = 0;
    auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    FUZZ_CHECK(end == digits.data() + digits.size());
    if (status == std::errc::result_out_of_range) {
        // Out of range either way: huge with a digit other than 0 before the dot, else tiny.
        bool huge = unsignedPart.substr(0, unsignedPart.find('.')).find_first_not_of('0') != kNone;
        value = huge ? HUGE_VAL : 0.0;
    }
    double rounded = std::nearbyint(value);  // halves to the even neighbour
    bool outside = !(rounded >= -2147483648.0 && rounded <= 2147483647.0);
    FUZZ_CHECK((error == kOverflow) == outside);
    if (!outside) FUZZ_CHECK(number == rounded);
}

// "file,number": split at the last comma, both parts without spaces at their ends.
struct EntryOutcome {
    std::optional<IconSource> source;
    int error = 0;
};

EntryOutcome CheckIconEntry(std::string_view value) {
    std::optional<IconSource> source;
    int error =
        ErrorOf([&] { source = IconSourceFromIconEntry(value); }, {kOverflow, kTypeMismatch});
    std::size_t comma = value.rfind(',');
    if (comma == kNone) {
        FUZZ_CHECK(error == 0 && !source);
        return {source, error};
    }
    std::string_view numberText = value.substr(comma + 1);
    int numberError = ErrorOf([&] { IconNumberOf(numberText); }, {kOverflow, kTypeMismatch});
    FUZZ_CHECK(error == numberError);
    if (error != 0) return {source, error};
    FUZZ_CHECK(source && source->number == IconNumberOf(numberText));
    FUZZ_CHECK(IsSpaceFree(source->file));
    std::size_t at = value.find(source->file);
    FUZZ_CHECK(at != kNone && at <= comma);
    // Around the file there are only spaces.
    FUZZ_CHECK(value.substr(0, at).find_first_not_of(' ') == kNone);
    std::string_view between =
        value.substr(at + source->file.size(), comma - at - source->file.size());
    FUZZ_CHECK(between.find_first_not_of(' ') == kNone);
    return {source, error};
}

void CheckOpenCommand(std::string_view value, const EntryOutcome& entry) {
    IconSource source;
    int error =
        ErrorOf([&] { source = IconSourceFromOpenCommand(value); }, {kOverflow, kTypeMismatch});
    if (value.find(',') != kNone) {
        // With a comma it is the "file,number" form, failures included.
        FUZZ_CHECK(error == entry.error);
        if (error == 0) FUZZ_CHECK(entry.source && source == *entry.source);
        return;
    }
    // Else the program path: the first word, icon 0.
    FUZZ_CHECK(error == 0 && source.number == 0);
    FUZZ_CHECK(source.file.find(' ') == kNone);
    std::string_view trimmed = TrimSpaces(value);
    FUZZ_CHECK(trimmed.substr(0, source.file.size()) == source.file);
    FUZZ_CHECK(source.file.size() == trimmed.size() || trimmed[source.file.size()] == ' ');
}

}  // namespace
}  // namespace iconlane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace iconlane::fuzz;
    const std::string value(reinterpret_cast<const char*>(data), size);
    CheckTargetExtension(value);
    CheckRegistryText(value);
    CheckIconNumber(value);
    CheckOpenCommand(value, CheckIconEntry(value));
    return 0;
}
