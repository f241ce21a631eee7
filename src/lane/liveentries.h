// The entries of a batch file or folder, kept in step with it while the program runs.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "lane/folderentries.h"
#include "lane/reloadplan.h"
#include "platform/services.h"
#include "tray/entrytable.h"
#include "tray/iconids.h"

namespace iconlane {

// The folder a batch file lies in, for watching it: "." for a bare name; a drive root keeps its
// separator.
std::string FolderOfFile(const std::string& name);

class LiveEntries {
public:
    LiveEntries(Services& services, EntryTable& entries, IconIds& ids)
        : services_(services), entries_(entries), ids_(ids) {}

    // The start: every entry of the batch file (which exists) or of the folder, added in order.
    void StartBatch(const std::string& name);
    // False when there is no such folder.
    bool StartFolder(const std::string& folder);

    // Reads the batch file or folder again and moves the tray to what it gives now. False, with
    // nothing changed, while it cannot be read (a batch file between an editor's write and rename).
    bool Reload();

private:
    enum class Kind { kNone, kBatch, kFolder };

    std::optional<std::vector<WantedEntry>> Read(Dialogs& dialogs);
    void Apply(const std::vector<WantedEntry>& wanted, Dialogs& dialogs);
    void AddAndRecord(const WantedEntry& entry);
    void MarkFolderEntry(int index, const WantedEntry& entry);

    Services& services_;
    EntryTable& entries_;
    IconIds& ids_;
    Kind kind_ = Kind::kNone;
    std::string name_;
    std::vector<WantedEntry> shown_;      // what each entry number was made from
    std::set<std::string> lastReported_;  // messages of the last load, not shown again
    FolderLimit folderLimit_;
};

}  // namespace iconlane
