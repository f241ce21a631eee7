// Finding the picture of an entry whose icon field names no icon file: the target's own icon,
// the icon its file type is registered with, or a stock icon of the system; each one found is
// also kept as an icon file in the data folder (see IconCache).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "entrywindow/entrywindow.h"
#include "platform/services.h"
#include "tray/iconcache.h"
#include "tray/iconsource.h"

namespace iconlane {

class IconResolver {
public:
    IconResolver(Services& services, const std::string& dataFolder)
        : services_(services), cache_(services, dataFolder) {}

    // Fills Picture1 of entry `index`: icon `iconNumber` of the target, or else the target's
    // icon as its file type gives it.
    void ResolveEntryIcon(EntryWindow& window, int index, const std::string& target,
                          std::int32_t iconNumber);

    // Installs icon `number` of `file`; false, with nothing changed, when the file has none.
    bool LoadIconFromFile(EntryWindow& window, int index, const std::string& file,
                          std::int32_t number);
    // Installs the icon of the target's file type, else a stock icon; always installs one.
    void ResolveTargetIcon(EntryWindow& window, int index, const std::string& target);

    // The file type's icon source; nothing when only the last resort is left.
    std::optional<IconSource> AssociatedIconSource(const std::string& target);

    IconCache& Cache() { return cache_; }
    // The system icon library, built afresh from the system folder each time.
    std::string SystemIconLibrary() const;

private:
    std::optional<std::string> ReadRegistryText(const std::string& subkey);
    bool LoadShortcutPicture(EntryWindow& window, int index, const std::string& target);
    void InstallEntryIcon(EntryWindow& window, int index, PicturePtr picture);

    Services& services_;
    IconCache cache_;
    bool inShortcut_ = false;
};

}  // namespace iconlane
