// Entry lists and how to move the tray from one to the next with the least change.
#pragma once

#include <optional>
#include <vector>

#include "lane/entryline.h"
#include "platform/services.h"

namespace iconlane {

// An entry as a start with the current batch file or folder would make it.
struct WantedEntry {
    EntryFields fields;
    std::string line;  // what a failure message quotes
    // The file behind the entry as it was read, so that a rewritten shortcut or program counts as
    // changed even where its line did not change; nothing when the target is no file.
    std::optional<FolderItem> targetFile;
    // What the entry is, which its tray icon's id belongs to: the same entry keeps its icon.
    std::string identity;
    // The icon file its icon field names, likewise: one that comes, is redrawn or mended counts.
    std::optional<FolderItem> iconFile;
    // A shown entry whose making failed is never the same as a wanted one: the next reload makes
    // it again, so that a failure that still stands is seen standing (and not told again).
    bool failed = false;

    bool operator==(const WantedEntry& other) const {
        return fields == other.fields && targetFile == other.targetFile &&
               iconFile == other.iconFile && failed == other.failed;
    }
};

enum class ReloadStep {
    kKeep,    // the same entry, unchanged, at the same number: its icon is left alone
    kUpdate,  // the same entry at the same number, changed: made anew in place
    kAdd,     // a number not shown now; beyond 30 it fails and is reported as a 31st line is
    kDelete,  // a number shown now that is taken away (deleted from the last number down)
};

// One step per entry number, from 1 on. The tray shows icons in the order they were added, so
// from the first number where another entry stands on, every shown entry is deleted and every
// wanted one added again, each under its own icon id.
std::vector<ReloadStep> PlanReload(const std::vector<WantedEntry>& shown,
                                   const std::vector<WantedEntry>& wanted);

}  // namespace iconlane
