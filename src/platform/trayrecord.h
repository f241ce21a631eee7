// The record handed to the shell for every tray call, in the order of the shell's own record.
#pragma once

#include <array>
#include <cstdint>

namespace iconlane {

enum class TrayOperation : std::uint32_t {
    kAdd = 0,
    kModify = 1,
    kDelete = 2,
    kSetFocus = 3,    // hands the keyboard focus back to the tray, onto the icon
    kSetVersion = 4,  // asks for the keyboard's notifications, in the version the record names
};

inline constexpr std::uint32_t kTrayRecordSize = 88;  // the size of the shell's original record
inline constexpr std::uint32_t kTrayFlags = 7;        // message + icon + tip
inline constexpr std::uint32_t kTrayCallbackMessage = 512;
inline constexpr std::size_t kTrayTipLength = 64;
// The notifications of the shells since Windows 2000: Enter and the menu key get their own, and
// the callback keeps its classic layout (the icon's id, then the message) and the tooltips.
inline constexpr std::uint32_t kTrayVersion = 3;
// Icon ids are 16-bit numbers to the shell in that version: 1 to this.
inline constexpr std::uint32_t kMaxIconId = 65535;

struct TrayRecord {
    std::uint32_t cbSize = 0;
    std::uintptr_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uintptr_t hIcon = 0;
    std::array<char, kTrayTipLength> szTip{};  // UTF-8, not necessarily zero-terminated
    std::uint32_t uVersion = 0;                // read by kSetVersion only
};

}  // namespace iconlane
