#include "tray/iconresolution.h"

namespace iconlane {

std::string IconResolver::SystemIconLibrary() const {
    return services_.pictures.SystemDirectory() + "\\SHELL32.DLL";
}

void IconResolver::ResolveEntryIcon(EntryWindow& window, const std::string& /*target*/,
                                    std::int32_t /*iconNumber*/) {
    window.SetPicture1(services_.pictures.ExtractIconPicture(SystemIconLibrary(), 0));
}

}  // namespace iconlane
