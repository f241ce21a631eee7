// The program-wide tray record and the three calls that add, change and delete tray icons.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"

namespace iconlane {

// The 64 tooltip bytes made from a text: the text and one zero byte, cut after 64 bytes or padded
// with blanks up to 64. Texts of 64 bytes or more carry no zero, unless the cut would split a
// UTF-8 character: it is then left out whole, and a zero follows.
std::array<char, kTrayTipLength> FormTip(const std::string& text);

class TrayIcons {
public:
    explicit TrayIcons(TrayShell& shell);

    // An icon is named by the window that owns it and its id there. True when the shell took it;
    // the icon then asks for the keyboard's notifications.
    bool AddIcon(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                 const std::string& tooltip);
    bool ModifyIcon(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                    const std::string& tooltip);
    // Puts an icon into the tray that the shell may have already: it took an add it answered
    // false to, or kept its icons over a TaskbarCreated. Added, else changed in place; true when
    // the shell has it then, by either route, and it then counts and asks for the notifications.
    bool AddOrChange(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                     const std::string& tooltip);
    // Deletes an icon; every other field keeps the value of the last add or modify.
    void RemoveTrayIcon(std::uintptr_t window, std::uint32_t id);
    // Puts the keyboard focus back on an icon, where a keyboard user left it.
    void GiveFocusBack(std::uintptr_t window, std::uint32_t id);
    // While held, the version each add asks for waits until the hold ends, so that a start shows
    // its icons as fast as the shell takes them; the versions follow at once.
    void HoldVersions() { holdVersions_ = true; }
    void ReleaseVersions();

    const TrayRecord& Record() const { return record_; }
    // The ids of the icons the shell took and that were not deleted since.
    const std::set<std::uint32_t>& IdsInTray() const { return idsInTray_; }
    // Runs before every add, so that it sees the shell as it was before the icon came.
    void SetBeforeAdd(std::function<void()> beforeAdd) { beforeAdd_ = std::move(beforeAdd); }
    // Runs whenever an icon that was not counted in the tray comes to count, by whatever route.
    void SetWhenCounted(std::function<void()> counted) { counted_ = std::move(counted); }

private:
    void Fill(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
              const std::string& tooltip);
    void AskForVersion(std::uintptr_t window, std::uint32_t id);
    void Count(std::uintptr_t window, std::uint32_t id);

    TrayShell& shell_;
    TrayRecord record_;
    std::set<std::uint32_t> idsInTray_;
    std::function<void()> beforeAdd_, counted_;
    bool holdVersions_ = false;
    std::vector<std::pair<std::uintptr_t, std::uint32_t>> heldVersions_;  // window, id
};

}  // namespace iconlane
