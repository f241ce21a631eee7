// A chord held for the tray window: a named object that tells the other Iconlanes of the user that
// one of them has it, and the system's hot key. Both are let go together.
#pragma once

#include <windows.h>

#include "platform/hotkeys.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

// The id the held chord's WM_HOTKEY carries: the tray window holds one chord at most.
inline constexpr int kHotKeyId = 1;

class HeldChord {
public:
    // Claims the chord's named object first, so that of two Iconlanes starting together only one
    // asks the system for the chord, then the system's hot key for `window`. An object that exists
    // already means another Iconlane holds the chord; one claimed for a chord that the system
    // refuses (another program has it) is let go at once.
    HeldChord(HWND window, const HotKeyChord& chord);
    ~HeldChord();
    HeldChord(const HeldChord&) = delete;
    HeldChord& operator=(const HeldChord&) = delete;

    HotKeyHold Hold() const { return hold_; }

private:
    HWND window_;
    UniqueKernel claim_;
    HotKeyHold hold_ = HotKeyHold::kTaken;
};

}  // namespace iconlane::win32
