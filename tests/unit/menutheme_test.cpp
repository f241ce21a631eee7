// The menus' colours against the facts of the system they run on.
#include "platform/menutheme.h"

#include <gtest/gtest.h>

namespace iconlane {
namespace {

TEST(MenuThemeTest, MenusAreDarkOnlyWhereWindowsCanAndTheAppsAreDark) {
    struct Row {
        MenuThemeFacts facts;
        MenuTheme theme;
    };
    const Row rows[] = {
        {{22631, true, false, false}, MenuTheme::kDark},
        {{18362, true, false, false}, MenuTheme::kDark},         // 1903, the first with the means
        {{18362, true, false, true}, MenuTheme::kSystem},        // the apps are light
        {{22631, true, true, false}, MenuTheme::kSystem},        // high contrast
        {{17763, true, false, false}, MenuTheme::kLeaveAlone},   // 1809: ordinal 135 is another
        {{22631, false, false, false}, MenuTheme::kLeaveAlone},  // Wine: no such functions
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ChooseMenuTheme(row.facts), row.theme)
            << row.facts.build << " found " << row.facts.functionsFound << " contrast "
            << row.facts.highContrast << " light " << row.facts.appsUseLightTheme;
    }
}

// The colour policy is read again before the menus are flushed, or they keep the old colours.
TEST(MenuThemeTest, ThePolicyIsReadAgainBeforeTheMenusAreFlushed) {
    using Step = MenuThemeStep;
    EXPECT_EQ(MenuThemeSteps(MenuTheme::kLeaveAlone), std::vector<Step>{});
    for (MenuTheme theme : {MenuTheme::kDark, MenuTheme::kSystem}) {
        Step mode = theme == MenuTheme::kDark ? Step::kAllowDark : Step::kDefaultMode;
        EXPECT_EQ(MenuThemeSteps(theme),
                  (std::vector{mode, Step::kRefreshColourPolicy, Step::kFlushMenuThemes}));
    }
}

}  // namespace
}  // namespace iconlane
