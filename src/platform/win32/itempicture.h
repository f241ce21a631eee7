// The shell's own picture of what a shortcut's item list points to: the computer, a shell folder,
// an app of the Start menu's list. Such shortcuts have no path whose icon could be read.
#pragma once

#include <windows.h>

#include <string>

namespace iconlane::win32 {

// The icon, `size` pixels square, that the shell shows for the item the shortcut file `path`
// points to; the caller owns it. Null when the file has no item list, the shell gives no picture,
// or it takes longer than a second to answer: the shell may load an app's package for it, and the
// tray's messages wait meanwhile.
HICON ShortcutItemIcon(const std::wstring& path, int size);

}  // namespace iconlane::win32
