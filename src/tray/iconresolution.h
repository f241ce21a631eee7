// Finding the picture of an entry whose icon field names no icon file: the target's own icon,
// the shell's picture of a folder, the icon its file type is registered with, a shortcut's own
// picture, or a stock icon of the system; each one an entry shows is also kept as an icon file in
// the data folder (see IconCache).
#pragma once

#include <cstdint>
#include <string>

#include "platform/services.h"
#include "tray/entrywindow.h"
#include "tray/iconcache.h"

namespace iconlane {

// The services a target's picture is found with, and nothing else: a menu may find its items'
// pictures on a thread of its own, with services of its own that make pictures at its size.
struct PictureSources {
    FileSystem& files;
    Pictures& pictures;
    Registry& registry;
    Shortcuts& shortcuts;
    const Environment& environment;
    const Process& process;
};

PictureSources SourcesOf(Services& services);

// The picture a tray icon for `target` with the icon number `iconNumber` shows: that icon of the
// target; else for a folder the shell's picture of it (else the stock folder icon); else the icon
// its file type is registered with; else a shortcut's own picture (see ShortcutPictureOf); else
// the stock document icon. Null when not even the system has one: the program's own icon is
// shown then.
PicturePtr FindTargetPicture(const PictureSources& sources, const std::string& target,
                             std::int32_t iconNumber);

class IconResolver {
public:
    IconResolver(Services& services, const std::string& dataFolder)
        : services_(services), cache_(services, dataFolder) {}

    // Fills Picture1 of entry `index` with the picture FindTargetPicture finds, and keeps a copy
    // of it; with the program's own icon (no copy) where it finds none.
    void ResolveEntryIcon(EntryWindow& window, int index, const std::string& target,
                          std::int32_t iconNumber);

    IconCache& Cache() { return cache_; }

private:
    Services& services_;
    IconCache cache_;
};

}  // namespace iconlane
