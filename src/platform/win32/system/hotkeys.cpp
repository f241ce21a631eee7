#include "platform/win32/system/hotkeys.h"

#include "platform/win32/system/sessionlock.h"

namespace iconlane::win32 {

static_assert(kHotKeyAlt == MOD_ALT && kHotKeyControl == MOD_CONTROL && kHotKeyShift == MOD_SHIFT &&
              kHotKeyWin == MOD_WIN);

HeldChord::HeldChord(HWND window, const HotKeyChord& chord) : window_(window) {
    SetLastError(ERROR_SUCCESS);
    // Named as a list's claim is, per user and session; no list's key starts with "hot key".
    claim_.Reset(CreateMutexW(nullptr, FALSE, ClaimName("hot key " + ChordName(chord)).c_str()));
    // Denied: it exists, made by an Iconlane running with other rights.
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        claim_.Reset();
        hold_ = HotKeyHold::kHeldByIconlane;
        return;
    }
    // Repeats of a chord held down would open and close the menu by turns.
    if (!RegisterHotKey(window, kHotKeyId, chord.modifiers | MOD_NOREPEAT, chord.key)) {
        claim_.Reset();
        hold_ = HotKeyHold::kTaken;
        return;
    }
    hold_ = HotKeyHold::kHeld;
}

HeldChord::~HeldChord() {
    if (hold_ == HotKeyHold::kHeld) UnregisterHotKey(window_, kHotKeyId);
}

}  // namespace iconlane::win32
