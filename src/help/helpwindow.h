// frmHelp: the user guide "Iconlane.rtf" from the program's folder, in a resizable window whose
// controls keep their proportions.
#pragma once

#include <string>

#include "help/proportions.h"
#include "platform/services.h"

namespace iconlane {

inline constexpr const char* kHelpMissingText =
    "Iconlane couldn't locate its Help File, Iconlane.rtf - this file should be in the program "
    "directory!";

// "Iconlane v" and the version's three numbers, each of the first two followed by the locale's
// decimal separator: "Iconlane v1.0.0", or "Iconlane v1,0,0" where the separator is a comma.
std::string HelpTitle(const ProgramVersion& version, const std::string& decimalSeparator);

class HelpWindow final : public HelpWindowEvents {
public:
    explicit HelpWindow(Services& services) : services_(services) {}

    // Shows the window modally and returns when the user has closed it. A guide that exists but
    // cannot be loaded fails with its numbered error, and the window does not appear.
    void Open();

    // Load: the proportions of the design layout, the title, then the guide or the message that
    // it is missing. The guide is read afresh at every opening.
    void OnLoad(HelpSurface& surface) override;
    void OnResize(HelpSurface& surface) override;

    std::string GuidePath() const;

private:
    Services& services_;
    ControlProportions proportions_;
};

}  // namespace iconlane
