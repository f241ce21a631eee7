// Dark menus where the apps of Windows are dark: the facts gathered from the system, the choice
// made by the portable rule (platform/menutheme.h), and uxtheme's functions called as it says.
#pragma once

#include <windows.h>

#include "platform/menutheme.h"

namespace iconlane::win32 {

// The facts as the system gives them now; uxtheme's functions are looked up at run time.
MenuThemeFacts GatherMenuThemeFacts();

// Gives every menu of the process the colours the facts call for; nothing where Windows lacks
// the means. Call it at start and whenever the colour setting or high contrast changes.
MenuTheme ApplyMenuTheme();

// Whether a WM_SETTINGCHANGE to `window` tells of a change of the apps' colours or of high
// contrast.
bool ChangesMenuTheme(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace iconlane::win32
