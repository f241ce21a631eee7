// Whether the program's menus are dark: when Windows' apps use the dark mode, and Windows has the
// means to draw menus dark for a program (uxtheme's preferred app mode and menu theme flush, from
// Windows 10 version 1903 on). High contrast keeps the system's look, as elsewhere.
#pragma once

#include <vector>

namespace iconlane {

struct MenuThemeFacts {
    unsigned build = 0;           // Windows' build number
    bool functionsFound = false;  // the preferred app mode and the menu theme flush
    bool highContrast = false;
    bool appsUseLightTheme = true;
};

enum class MenuTheme {
    kLeaveAlone,  // Windows lacks the means (an older build, Wine): nothing is called
    kSystem,      // the system's own look: the preferred app mode set back to the default
    kDark,        // dark: the preferred app mode allows it
};

// The first build whose uxtheme ordinal 135 takes a mode (before it, it took a yes or no).
inline constexpr unsigned kFirstDarkMenuBuild = 18362;

MenuTheme ChooseMenuTheme(const MenuThemeFacts& facts);

// What gives the menus a theme, in order: the preferred app mode; the colour policy read again
// (uxtheme's RefreshImmersiveColorPolicyState), which the menus draw from; their themes flushed.
enum class MenuThemeStep { kAllowDark, kDefaultMode, kRefreshColourPolicy, kFlushMenuThemes };
std::vector<MenuThemeStep> MenuThemeSteps(MenuTheme theme);

}  // namespace iconlane
