// Windows 11 hides every tray icon it has not seen before in the overflow. On request (SHOWICONS)
// the icons it sees for the first time while Iconlane runs are shown on the task bar instead;
// a choice the user (or an earlier run) already made for an icon is never changed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/options.h"
#include "platform/services.h"
#include "tray/trayicons.h"

namespace iconlane {

using KnownFolderLookup = std::function<std::optional<std::string>(const std::string& guid)>;

// A record's path with a leading known-folder GUID in braces replaced by that folder; nothing
// when the GUID names no folder the system knows.
std::optional<std::string> ExpandKnownFolder(const std::string& path,
                                             const KnownFolderLookup& knownFolder);

// True when a record is this program's: its path, once expanded, compared without letter case.
bool IsOwnRecord(const TrayIconRecord& record, const std::string& programPath,
                 const KnownFolderLookup& knownFolder);

class IconPromotion {
public:
    IconPromotion(TrayIconRecords& records, WindowSystem& clock, const Options& options,
                  const TrayIcons& tray);

    // Before an icon goes into the tray. Starts watching the records for some seconds, or watches
    // on for longer; the records there when the watch starts are never changed, and none at all
    // when they cannot be listed then.
    void BeforeAdd();
    // An icon has come to count in the tray: a new record of it that waited for it is shown.
    void IconCounted();

private:
    // A new record as last read, and since when it has read so.
    struct Settling {
        TrayIconRecord record;
        std::uint64_t since = 0;
    };
    void RecordsChanged();
    void DecideSettled();
    bool Decide(const std::string& name, const TrayIconRecord& record);

    TrayIconRecords& records_;
    WindowSystem& clock_;
    const Options& options_;
    const TrayIcons& tray_;
    // The records there when the watch started, and the new ones already dealt with.
    std::set<std::string> done_;
    std::map<std::string, Settling> settling_;
    bool blind_ = false;  // the records could not be listed when the watch started
};

}  // namespace iconlane
