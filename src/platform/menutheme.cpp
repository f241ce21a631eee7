#include "platform/menutheme.h"

namespace iconlane {

MenuTheme ChooseMenuTheme(const MenuThemeFacts& facts) {
    if (facts.build < kFirstDarkMenuBuild || !facts.functionsFound) return MenuTheme::kLeaveAlone;
    return facts.highContrast || facts.appsUseLightTheme ? MenuTheme::kSystem : MenuTheme::kDark;
}

std::vector<MenuThemeStep> MenuThemeSteps(MenuTheme theme) {
    if (theme == MenuTheme::kLeaveAlone) return {};
    MenuThemeStep mode =
        theme == MenuTheme::kDark ? MenuThemeStep::kAllowDark : MenuThemeStep::kDefaultMode;
    return {mode, MenuThemeStep::kRefreshColourPolicy, MenuThemeStep::kFlushMenuThemes};
}

}  // namespace iconlane
