// The record handed to the shell for every tray call, in the order of the shell's own record.
#pragma once

#include <array>
#include <cstdint>

namespace iconlane {

enum class TrayOperation : std::uint32_t { kAdd = 0, kModify = 1, kDelete = 2 };

inline constexpr std::uint32_t kTrayRecordSize = 88;  // the size of the shell's original record
inline constexpr std::uint32_t kTrayFlags = 7;   // message + icon + tip
inline constexpr std::uint32_t kTrayCallbackMessage = 512;
inline constexpr std::size_t kTrayTipLength = 64;

struct TrayRecord {
    std::uint32_t cbSize = 0;
    std::uintptr_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uintptr_t hIcon = 0;
    std::array<char, kTrayTipLength> szTip{};  // ANSI bytes, not necessarily zero-terminated
};

}  // namespace iconlane
