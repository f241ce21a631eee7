#include "help/helpwindow.h"

namespace iconlane {

void ShowHelpWindow(Services& services) {
    services.dialogs.ShowMessage(kHelpMissingText, MessageStyle::kInformation, "Iconlane!");
}

}  // namespace iconlane
