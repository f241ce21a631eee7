// The program-wide tray record and the three calls that add, change and delete tray icons.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "platform/services.h"

namespace iconlane {

// The 64 tooltip bytes made from a text: the text and one zero byte, cut after 64 bytes or padded
// with blanks up to 64. Texts of 64 bytes or more carry no zero, unless the cut would split a
// UTF-8 character: it is then left out whole, and a zero follows.
std::array<char, kTrayTipLength> FormTip(const std::string& text);

class TrayIcons {
public:
    explicit TrayIcons(TrayShell& shell);

    // An icon is named by the window that owns it and its id there. True when the shell took it.
    bool AddIcon(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                 const std::string& tooltip);
    void ModifyIcon(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                    const std::string& tooltip);
    // Deletes an icon; every other field keeps the value of the last add or modify.
    void RemoveTrayIcon(std::uintptr_t window, std::uint32_t id);

    const TrayRecord& Record() const { return record_; }
    // The ids of the icons the shell took and that were not deleted since.
    const std::set<std::uint32_t>& IdsInTray() const { return idsInTray_; }
    // Runs before every add, so that it sees the shell as it was before the icon came.
    void SetBeforeAdd(std::function<void()> beforeAdd) { beforeAdd_ = std::move(beforeAdd); }

private:
    void Fill(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
              const std::string& tooltip);

    TrayShell& shell_;
    TrayRecord record_;
    std::set<std::uint32_t> idsInTray_;
    std::function<void()> beforeAdd_;
};

}  // namespace iconlane
