// The help window, shown modally for an empty command line and from the "Help..." menu item.
#pragma once

#include "platform/services.h"

namespace iconlane {

inline constexpr const char* kHelpMissingText =
    "Iconlane couldn't locate its Help File, Iconlane.rtf - this file should be in the program "
    "directory!";

// For now the guide is not shown: the user is told that it is missing.
void ShowHelpWindow(Services& services);

}  // namespace iconlane
