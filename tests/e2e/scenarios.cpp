// The one test that plays every row of the tables in the *_test.cpp files.
#include "scenarios.h"

namespace e2e {

TEST_P(Scenario, Plays) {
    ASSERT_EQ(waitForTips(0), "") << "icons left in the tray by an earlier program";
    Driver driver(GetParam().name);
    driver.keyboard = GetParam().keyboard;
    GetParam().play(driver);
}

}  // namespace e2e
