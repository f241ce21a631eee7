// Entry lists and how to move the tray from one to the next with the least change.
#pragma once

#include <optional>
#include <vector>

#include "platform/services.h"
#include "startup/entryline.h"

namespace iconlane {

// An entry as a start with the current batch file or folder would make it.
struct WantedEntry {
    EntryFields fields;
    std::string line;  // what a failure message quotes
    // The file behind the entry as it was read, so that a rewritten shortcut or program counts as
    // changed even where its line did not change; nothing when the target is no file.
    std::optional<FolderItem> targetFile;

    bool operator==(const WantedEntry& other) const {
        return fields == other.fields && targetFile == other.targetFile;
    }
};

enum class ReloadStep {
    kKeep,    // same entry at the same number: its icon is left alone
    kUpdate,  // another entry at a number already shown: changed in place
    kAdd,     // a number not shown yet; beyond 30 it fails and is reported as a 31st line is
    kDelete,  // a number no longer wanted
};

// One step per entry number, from 1 on. Entries keep their numbers, and a number is its tray
// icon's identifier, so an entry is only kept where it still stands at the same number.
std::vector<ReloadStep> PlanReload(const std::vector<WantedEntry>& shown,
                                   const std::vector<WantedEntry>& wanted);

}  // namespace iconlane
