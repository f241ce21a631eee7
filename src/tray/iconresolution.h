// Finding the picture of an entry whose icon field names no icon file.
#pragma once

#include <cstdint>
#include <string>

#include "entrywindow/entrywindow.h"
#include "platform/services.h"

namespace iconlane {

class IconResolver {
public:
    IconResolver(Services& services, const std::string& dataFolder)
        : services_(services), dataFolder_(dataFolder) {}

    // Fills Picture1 of the new entry's window. For now every such entry gets the system's
    // generic document icon (icon 0 of the system icon library).
    void ResolveEntryIcon(EntryWindow& window, const std::string& target, std::int32_t iconNumber);

    // The system icon library, built afresh from the system folder each time.
    std::string SystemIconLibrary() const;

private:
    Services& services_;
    const std::string& dataFolder_;
};

}  // namespace iconlane
