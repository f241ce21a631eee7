#include "help/helpwindow.h"

namespace iconlane {

std::string HelpTitle(const ProgramVersion& version, const std::string& decimalSeparator) {
    return "Iconlane v" + std::to_string(version.major) + decimalSeparator +
           std::to_string(version.minor) + decimalSeparator + std::to_string(version.revision);
}

std::string HelpWindow::GuidePath() const {
    return services_.process.ProgramFolder() + "\\Iconlane.rtf";
}

void HelpWindow::Open() {
    services_.help.ShowModal(*this);
}

void HelpWindow::OnLoad(HelpSurface& surface) {
    proportions_ = CaptureThisFormProportions(surface);
    surface.SetTitle(HelpTitle(services_.process.Version(), services_.process.DecimalSeparator()));
    // Only an ordinary file counts: a folder, or a hidden or system file, of that name is missing.
    if (!services_.files.FindFirst(GuidePath(), SearchKind::kFilesOnly).empty()) {
        surface.LoadRichText(GuidePath());
    } else {
        surface.SetPlainText(kHelpMissingText);
    }
}

void HelpWindow::OnResize(HelpSurface& surface) {
    ResizeThisFormsControls(surface, proportions_);
}

}  // namespace iconlane
