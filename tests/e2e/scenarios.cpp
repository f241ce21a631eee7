// The tests that play every row of the tables in the *_test.cpp files.
#include "scenarios.h"

namespace e2e {
namespace {

void play(const Row& row, Keyboard keyboard) {
    ASSERT_EQ(waitForTips(0), "") << "icons left in the tray by an earlier program";
    Driver driver(row.name);
    driver.keyboard = keyboard;
    row.play(driver);
}

}  // namespace

TEST_P(Scenario, Plays) {
    play(GetParam(), Keyboard::kSendInput);
}

TEST_P(TypedScenario, Plays) {
    std::apply(play, GetParam());
}

}  // namespace e2e
