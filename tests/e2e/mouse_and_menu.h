// Acting as a user from inside Wine: the mouse through SendInput, which reaches Wine's tray like
// a real mouse (a double click arrives as 513, 514, 515, 514), and the keys of a pop-up menu.
//
// A pop-up menu is a #32768 window of the process that opened it. Its HMENU cannot be read from
// another process under Wine (GetMenuItemCount says -1), so a menu is read from the screen.
#pragma once

#include <windows.h>

#include <vector>

namespace e2e {

enum class Click { Single, Double, Right };

// Moves the mouse to `point` and clicks there. Clicks are spaced by more than the double-click
// time, so that two calls never make one double click.
void clickAt(POINT point, Click click);

// Moves the mouse where no window of a scenario lies, so that no tooltip or highlight covers what
// a test reads from the screen next.
void moveMouseAway();

// The pop-up menu that the process shows; null on timeout.
HWND waitForPopupMenu(DWORD processId);

// Chooses the item that `downs` presses of the Down key reach, then Enter.
void chooseMenuItem(HWND menu, int downs);

// For each caption of the menu, top to bottom: true when it is drawn greyed. Wine draws captions
// black and greyed ones grey on a light background; separators are one-pixel grey lines.
std::vector<bool> greyedMenuItems(HWND menu);

}  // namespace e2e
