// Reads the icons shown in Wine's tray from outside, the way a user sees them: one tooltip per
// icon.
//
// Wine's task bar (class Shell_TrayWnd) draws the icons itself; each icon has its own tooltip
// control (tooltips_class32, owned by the task bar) holding one tool whose rectangle is the icon's
// slot and whose text is the icon's tooltip. When an icon is deleted, Wine 8 keeps its tooltip
// control and only empties the tool's rectangle, so an icon counts as shown exactly when its
// rectangle is not empty.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "win_handle.h"

namespace e2e {

struct TrayIcon {
    std::string tip;  // tooltip text, converted to the ANSI code page the program wrote it in
    RECT slot{};      // place of the icon in the task bar's client area
};

class TrayProbe {
public:
    // Finds the task bar and opens its process; throws std::runtime_error when there is none.
    TrayProbe();

    // The icons now shown, in the order they were added (Wine packs them from the right).
    std::vector<TrayIcon> icons() const;

    // Tooltips of the icons now shown whose tooltip begins with `prefix`, in the order added.
    std::vector<std::string> tips(std::string_view prefix = {}) const;

    // Waits until exactly `count` shown icons have tooltips beginning with `prefix` and that stays
    // so for a short quiet time, then returns their tooltips. On timeout returns what is shown
    // then, so the caller's comparison reports the difference.
    std::vector<std::string> waitForIcons(std::size_t count, std::string_view prefix = {}) const;

    // How long a count must hold before it is taken as final: start-up adds one icon after another
    // within milliseconds, so a pause this long means the program has stopped adding.
    static constexpr std::chrono::milliseconds kQuietTime{300};

    // The task bar's tooltip controls: one per icon ever added, deleted ones included. Listing
    // them sends nothing to the task bar, so polling them does not slow it down.
    std::vector<HWND> tooltipWindows() const;

private:
    bool readTool(const RemoteBuffer& page, HWND tooltip, int index, TrayIcon& icon) const;

    HWND tray_ = nullptr;
    UniqueHandle process_;
};

}  // namespace e2e
