#include "mouse_and_menu.h"

#include <algorithm>

#include "polling.h"
#include "screen_pixels.h"
#include "window_search.h"

namespace e2e {
namespace {

constexpr POINT kAwayFromScenarios{300, 100};
constexpr auto kSettle = 30ms;
constexpr auto kBetweenClicks = 60ms;

constexpr int kMenuBorder = 4;   // frame pixels left out at each side of a menu
constexpr int kInk = 200;        // a darker pixel is part of a caption or a separator
constexpr int kBlackText = 64;   // a caption with a pixel this dark is not greyed
constexpr int kMinTextRows = 4;  // taller than a separator line

Clock::time_point lastClick;

void sendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void press(DWORD down, DWORD up) {
    sendMouse(down);
    sendMouse(up);
}

int luminance(const RGBQUAD& p) {
    return (p.rgbRed + p.rgbGreen + p.rgbBlue) / 3;
}

int darkestInRow(const ScreenImage& image, int y) {
    int darkest = 255;
    for (int x = kMenuBorder; x < image.width - kMenuBorder; ++x) {
        darkest = std::min(darkest, luminance(image.at(x, y)));
    }
    return darkest;
}

}  // namespace

void clickAt(POINT point, Click click) {
    const auto apart = std::chrono::milliseconds(GetDoubleClickTime()) + 100ms;
    const auto wait = lastClick + apart - Clock::now();
    if (wait > 0ms) Sleep(static_cast<DWORD>(wait / 1ms) + 1);
    SetCursorPos(point.x, point.y);
    Sleep(static_cast<DWORD>(kSettle.count()));
    if (click == Click::Right) {
        press(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    } else {
        press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        if (click == Click::Double) {
            Sleep(static_cast<DWORD>(kBetweenClicks.count()));
            press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        }
    }
    lastClick = Clock::now();
}

void moveMouseAway() {
    SetCursorPos(kAwayFromScenarios.x, kAwayFromScenarios.y);
}

HWND waitForPopupMenu(DWORD processId) {
    HWND menu = nullptr;
    pollUntil([&] {
        for (HWND window : windowsOfClass(processId, "#32768")) {
            if (IsWindowVisible(window)) menu = window;
        }
        return menu != nullptr;
    });
    return menu;
}

void chooseMenuItem(HWND menu, int downs) {
    for (int n = 0; n < downs; ++n) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

// A caption is a run of rows with ink, taller than a separator; it is greyed when none of its
// pixels is black.
std::vector<bool> greyedMenuItems(HWND menu) {
    RECT area{};
    GetWindowRect(menu, &area);
    const ScreenImage image = captureScreen(area);
    std::vector<bool> greyed;
    int rows = 0;
    int darkest = 255;
    for (int y = kMenuBorder; y <= image.height - kMenuBorder; ++y) {
        const int rowDarkest = y < image.height - kMenuBorder ? darkestInRow(image, y) : 255;
        if (rowDarkest < kInk) {
            darkest = rows++ == 0 ? rowDarkest : std::min(darkest, rowDarkest);
            continue;
        }
        if (rows >= kMinTextRows) greyed.push_back(darkest > kBlackText);
        rows = 0;
    }
    return greyed;
}

}  // namespace e2e
