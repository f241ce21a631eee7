#include "tray/iconcache.h"

#include <utility>

#include "platform/errors.h"
#include "platform/textrules.h"

namespace iconlane {

std::string IconCache::FileOf(int index) const {
    return dataFolder_ + "\\" + std::to_string(index) + ".ico";
}

// Without a data folder there is no place for copies: the entry's picture is all there is.
void IconCache::Keep(int index, const Picture& picture) {
    if (dataFolder_.empty()) return;
    if (holding_) {
        heldBack_.push_back(index);
    } else {
        Write(index, picture);
    }
}

void IconCache::HoldBack() {
    holding_ = true;
}

void IconCache::WriteHeldBack(const std::function<const Picture*(int index)>& pictureOf) {
    holding_ = false;
    std::vector<int> due = std::move(heldBack_);
    heldBack_.clear();
    for (int index : due) {
        if (const Picture* picture = pictureOf(index)) Write(index, *picture);
    }
    ReportFailure();
}

// The entry already shows its picture; only the copy is lost, so one message per run says so.
void IconCache::Write(int index, const Picture& picture) {
    try {
        services_.pictures.SaveIconFile(picture, FileOf(index));
    } catch (const std::exception&) {
        if (!failureReported_ && !failure_) failure_ = CurrentNumberedError();
    }
}

void IconCache::ReportFailure() {
    if (!failure_) return;
    RuntimeError error = *std::exchange(failure_, std::nullopt);
    failureReported_ = true;
    services_.dialogs.ShowMessage(
        "Error " + std::to_string(error.Number()) + " (" + error.Description() +
            ") while saving a copy of an icon in the data folder '" + QuotedExcerpt(dataFolder_) +
            "'.\n\nThe icons are shown, but their copies could not be saved.",
        MessageStyle::kExclamation, "Iconlane");
}

}  // namespace iconlane
