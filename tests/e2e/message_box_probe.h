// Finds the message boxes a process shows and answers them, as a user would.
//
// A message box is a top-level dialog of class #32770; its text is the static control with id
// 0xFFFF (read exactly, line feeds included) and its title is the window text. Which icon it shows
// cannot be read from the icon handle under Wine, so it is told from the pixels on the screen.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

struct MessageBoxView {
    HWND window = nullptr;
    std::string title;
    std::string text;
};

// The message boxes that process `processId` shows now (visible #32770 windows with an OK button).
std::vector<MessageBoxView> messageBoxesOf(DWORD processId);

// Waits until the process shows a message box and returns it; nothing on timeout.
std::optional<MessageBoxView> waitForMessageBox(DWORD processId);

enum class BoxIcon { None, Stop, Exclamation, Unrecognised };

// The icon the box shows, told by its colour: the stop icon is red, the exclamation icon orange.
// The box must not be covered by another window; waits briefly for it to be painted.
BoxIcon iconShownBy(const MessageBoxView& box);

// Presses the box's OK button; false when the box has none or is gone.
bool pressOk(const MessageBoxView& box);

// For readable test failures.
std::ostream& operator<<(std::ostream& out, BoxIcon icon);

}  // namespace e2e
