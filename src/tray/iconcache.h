// The copies of the entries' icons in the data folder, one .ico file per entry number. A copy is
// only a copy: one that cannot be written costs its entry nothing, and the first such failure of
// a run is reported in one message, the later ones not at all. The message waits until the caller
// has finished what it was doing (an entry half made, pictures made again), so that no box opens
// on an entry that opens nothing yet.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/services.h"

namespace iconlane {

class IconCache {
public:
    IconCache(Services& services, const std::string& dataFolder)
        : services_(services), dataFolder_(dataFolder) {}

    // The file of entry `index`: "<data folder>\<index>.ico".
    std::string FileOf(int index) const;

    // Writes `picture` as entry `index`'s file; while writes are held back, only notes the entry.
    // Without a data folder (empty) nothing is written.
    void Keep(int index, const Picture& picture);

    // From now on Keep only notes the entries, so that their files cost the start-up nothing.
    void HoldBack();
    // Writes the file of every entry noted since HoldBack, from the picture `pictureOf` gives for
    // it now (none: no file), and writes at once again from then on; then reports as below.
    void WriteHeldBack(const std::function<const Picture*(int index)>& pictureOf);

    // Shows the message about the first copy of the run that could not be saved, if it is due.
    void ReportFailure();

private:
    void Write(int index, const Picture& picture);

    Services& services_;
    const std::string& dataFolder_;
    bool holding_ = false;
    std::vector<int> heldBack_;
    std::optional<RuntimeError> failure_;  // the first, until it is reported
    bool failureReported_ = false;
};

}  // namespace iconlane
