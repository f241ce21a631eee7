// The options file: menu items switched off, the click that opens a target and
// the hot key that opens the lane's menu.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/hotkeys.h"
#include "platform/services.h"

namespace iconlane {

inline constexpr std::int32_t kSingleClickMessage = 514;  // left button released
inline constexpr std::int32_t kDoubleClickMessage = 515;  // left button double click

struct Options {
    bool ExitDisabled = false;
    bool HelpDisabled = false;
    bool RightMenuDisabled = false;
    std::int32_t ClickMessage = 0;  // no click opens a target until the file sets a click mode
    bool ShowIcons = false;  // asks Windows 11 to show new icons on the task bar, not hide them
    std::optional<HotKeyChord> HotKey;  // opens the menu of the whole lane; none unless asked for
};

// Applies one item of the file. An item without "=" reuses `key`, the key of the latest item
// that had one. Fails with overflow when the "=" stands at position 32,767 or later, and with
// invalid argument for a hot key that cannot be read (an empty one means none).
void ApplyOptionItem(const std::string& item, std::string& key, Options& options);

// Reads the options file if it exists: the user's own, "%APPDATA%\Iconlane\Iconlane.ini" (without
// APPDATA in the roaming folder the shell knows), where that file exists, else the one beside the
// program, which may lie where a user cannot save it (Program Files). A failure is reported in a
// message box that names the file, and ends the reading; the options set until then stay set. A hot
// key that cannot be read is reported with its item, and the reading goes on: a typing slip in a
// chord costs no other option.
void ReadOptions(Services& services, Options& options);

}  // namespace iconlane
