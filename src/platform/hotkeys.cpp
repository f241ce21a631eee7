#include "platform/hotkeys.h"

#include <array>
#include <utility>

#include "platform/textrules.h"

namespace iconlane {
namespace {

constexpr std::array<std::pair<unsigned, const char*>, 4> kModifierNames = {{
    {kHotKeyControl, "CTRL"},
    {kHotKeyAlt, "ALT"},
    {kHotKeyShift, "SHIFT"},
    {kHotKeyWin, "WIN"},
}};
constexpr unsigned kFunctionKeys = 24;

std::string_view TrimBlanks(std::string_view text) {
    text = TrimTrailingBlanks(text);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

unsigned ModifierOf(const std::string& name) {
    for (const auto& [flag, modifierName] : kModifierNames) {
        if (name == modifierName) return flag;
    }
    return 0;
}

// The virtual-key code of a key's name in capitals; 0 for no key a chord may end in.
unsigned KeyOf(const std::string& name) {
    if (name.size() == 1 &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
        return static_cast<unsigned char>(name[0]);
    if (name == "SPACE") return kHotKeySpace;
    // F1 to F24, without a leading zero.
    if (name.size() < 2 || name.size() > 3 || name[0] != 'F' || name[1] == '0') return 0;
    unsigned number = 0;
    for (char digit : name.substr(1)) {
        if (digit < '0' || digit > '9') return 0;
        number = number * 10 + static_cast<unsigned>(digit - '0');
    }
    return number >= 1 && number <= kFunctionKeys ? kHotKeyF1 + number - 1 : 0;
}

}  // namespace

std::optional<HotKeyChord> ReadChord(std::string_view text) {
    HotKeyChord chord;
    for (;;) {
        std::size_t plus = text.find('+');
        std::string part = UpperCase(TrimBlanks(text.substr(0, plus)));
        if (plus == std::string_view::npos) {
            chord.key = KeyOf(part);
            break;
        }
        unsigned modifier = ModifierOf(part);
        if (modifier == 0 || (chord.modifiers & modifier)) return std::nullopt;
        chord.modifiers |= modifier;
        text.remove_prefix(plus + 1);
    }
    if (chord.key == 0 || !(chord.modifiers & (kHotKeyControl | kHotKeyAlt | kHotKeyWin)))
        return std::nullopt;
    return chord;
}

std::string ChordName(const HotKeyChord& chord) {
    std::string name;
    for (const auto& [flag, modifierName] : kModifierNames) {
        if (!(chord.modifiers & flag)) continue;
        std::string_view upper = modifierName;
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on a literal + a temporary.
        name += upper[0];
        name += LowerCase(upper.substr(1));
        name += '+';
    }
    if (chord.key == kHotKeySpace) return name + "Space";
    if (chord.key >= kHotKeyF1 && chord.key < kHotKeyF1 + kFunctionKeys)
        return name + "F" + std::to_string(chord.key - kHotKeyF1 + 1);
    return name + static_cast<char>(chord.key);
}

}  // namespace iconlane
