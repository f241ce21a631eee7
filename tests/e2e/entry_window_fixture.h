// Scenarios for what an icon does when used: every icon opens marker.exe, which counts its starts
// in launches.txt beside itself, and shows its own plain colour square, so that the screen tells
// the icon's own picture from the red cross it blinks to.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "iconlane_fixture.h"
#include "mouse_and_menu.h"

namespace e2e {

// The menu's captions in order; the value is the number of Down keys that reach the item.
enum class MenuChoice { Launch = 1, Cancel, Help, Exit };

enum class IconLook { OwnPicture, RedCross, Other };

class EntryWindowTest : public IconlaneTest {
protected:
    // Writes Iconlane.ini with these lines (no file for none), a batch file of `icons` entries
    // named "Lane 1", "Lane 2"... and starts the program; fails unless all icons appear.
    void startLane(const std::vector<std::string>& options, std::size_t icons = 1);

    // Starts of the target counted so far.
    std::size_t launches() const;
    // True when exactly `count` starts are counted and no further one comes for a quiet time.
    bool launchesSettleAt(std::size_t count) const;

    void clickIcon(std::size_t index, Click click) const;
    // Right-clicks the icon and returns its pop-up menu once its four captions are drawn (null
    // when none comes); the mouse is then moved away from the menu.
    HWND openMenu(std::size_t index);
    void choose(HWND menu, MenuChoice item) const { chooseMenuItem(menu, static_cast<int>(item)); }

    // The icon's place on the screen, and which of its pictures it shows now.
    RECT iconArea(std::size_t index) const;
    IconLook lookOf(std::size_t index) const;

private:
    std::string launchLog_;
    std::vector<RECT> areas_;
};

}  // namespace e2e
