// Letter case as the file system ignores it, for every letter, with no call to the system: the
// names of a folder and the identities of entries must not depend on where the program runs.
#include <algorithm>

#include "platform/casefoldtable.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

char32_t FoldLetter(char32_t c) {
    using casefold::Run;
    const Run* after =
        std::upper_bound(std::begin(casefold::kRuns), std::end(casefold::kRuns), c,
                         [](char32_t value, const Run& run) { return value < run.first; });
    if (after == std::begin(casefold::kRuns)) return c;
    const Run& run = after[-1];
    char32_t offset = c - run.first;
    if (offset % run.step != 0 || offset / run.step >= run.count) return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + run.delta);
}

void AppendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | c >> 6);
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | c >> 12);
        text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The letter of the Basic Multilingual Plane that starts at `at` and its length in bytes; nothing
// (length 0) for any other character or for bytes that are no UTF-8, which stay as they are.
std::pair<char32_t, std::size_t> LetterAt(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t n) { return static_cast<unsigned char>(text[at + n]); };
    auto follows = [&](std::size_t n) { return at + n < text.size() && (byte(n) & 0xC0) == 0x80; };
    if (byte(0) >= 0xC2 && byte(0) < 0xE0 && follows(1))
        return {static_cast<char32_t>((byte(0) & 0x1F) << 6 | (byte(1) & 0x3F)), 2};
    if (byte(0) >= 0xE0 && byte(0) < 0xF0 && follows(1) && follows(2)) {
        char32_t c = (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) return {c, 3};
    }
    return {0, 0};
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char c = text[at];
        if (static_cast<unsigned char>(c) < 0x80) {
            folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            ++at;
            continue;
        }
        auto [letter, length] = LetterAt(text, at);
        if (length == 0) {
            folded += c;
            ++at;
            continue;
        }
        AppendUtf8(folded, FoldLetter(letter));
        at += length;
    }
    return folded;
}

}  // namespace iconlane
