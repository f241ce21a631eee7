#include "platform/menutheme.h"

namespace iconlane {

MenuTheme ChooseMenuTheme(const MenuThemeFacts& facts) {
    if (facts.build < kFirstDarkMenuBuild || !facts.functionsFound) return MenuTheme::kLeaveAlone;
    return facts.highContrast || facts.appsUseLightTheme ? MenuTheme::kSystem : MenuTheme::kDark;
}

}  // namespace iconlane
