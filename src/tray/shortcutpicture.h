// The picture a shortcut offers of its own: a .lnk file's icon location or the program it points
// to, an internet shortcut's (.url) icon or its web address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "tray/iconsource.h"

namespace iconlane {

struct InternetShortcut {
    std::string url;
    std::string iconFile;
    std::int32_t iconNumber = 0;
    bool operator==(const InternetShortcut&) const = default;
};

// The keys URL, IconFile and IconIndex of a .url file's [InternetShortcut] section, in any letter
// case, blanks around keys and values ignored. An IconIndex that is no whole number counts as 0.
InternetShortcut ParseInternetShortcut(const std::string& text);

// Every %NAME% of a defined, non-empty variable replaced by its value; other text stays.
std::string ExpandAllVariables(std::string_view text, const Environment& environment);

struct ShortcutPicture {
    std::optional<IconSource> icon;  // the shortcut's own icon, tried first
    std::string target;              // else this, by the rules of any target; empty for none
    bool itemList = false;           // else the shell's picture of the item it points to
    bool operator==(const ShortcutPicture&) const = default;
};

// What a .lnk or .url target offers; nothing for any other target or an unreadable shortcut.
std::optional<ShortcutPicture> ShortcutPictureOf(const std::string& target, Shortcuts& shortcuts,
                                                 FileSystem& files, const Process& process,
                                                 const Environment& environment);

}  // namespace iconlane
