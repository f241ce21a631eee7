// The copies of the entries' icons in the data folder, one .ico file per entry number. A copy is
// only a copy: one that cannot be written costs its entry nothing, and the first such failure of
// a run is reported in one message, the later ones not at all.
#pragma once

#include <functional>
#include <string>
#include <vector>

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
    // it now (none: no file), and writes at once again from then on.
    void WriteHeldBack(const std::function<const Picture*(int index)>& pictureOf);

private:
    void Write(int index, const Picture& picture);

    Services& services_;
    const std::string& dataFolder_;
    bool holding_ = false;
    std::vector<int> heldBack_;
    bool failureReported_ = false;
};

}  // namespace iconlane
