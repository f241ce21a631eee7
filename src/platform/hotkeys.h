// A hot key: a chord of modifier keys and one key, pressed anywhere, that reaches the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace iconlane {

// The modifier flags, numbered as the system numbers them.
enum HotKeyModifier : unsigned {
    kHotKeyAlt = 1,
    kHotKeyControl = 2,
    kHotKeyShift = 4,
    kHotKeyWin = 8,
};

// Virtual-key codes of the keys a chord may end in, besides the letters 'A'-'Z' and digits '0'-'9'.
inline constexpr unsigned kHotKeySpace = 0x20;
inline constexpr unsigned kHotKeyF1 = 0x70;  // F1 to F24 follow one another

struct HotKeyChord {
    unsigned modifiers = 0;  // HotKeyModifier flags
    unsigned key = 0;        // a virtual-key code
    bool operator==(const HotKeyChord&) const = default;
};

// What became of a chord the program asked to hold.
enum class HotKeyHold {
    kHeld,            // pressing it reaches the program
    kHeldByIconlane,  // another Iconlane of the same user holds it already
    kTaken,           // another program holds it
};

// A chord as written, e.g. "Ctrl+Alt+Q": modifiers Ctrl, Alt, Shift and Win joined by "+" (in any
// order, each once, blanks around them allowed) before one key: a letter, a digit, F1 to F24 or
// Space; not case-sensitive. At least one of Ctrl, Alt and Win: with Shift alone a chord would
// take a capital letter or a sign from every program's typing. Nothing when it is none of these.
std::optional<HotKeyChord> ReadChord(std::string_view text);

// The chord as messages name it, modifiers in the order Ctrl, Alt, Shift, Win: "Ctrl+Alt+Q".
std::string ChordName(const HotKeyChord& chord);

}  // namespace iconlane
