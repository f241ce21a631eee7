// Where Explorer's names come from on Windows: desktop.ini files read by the system's own
// profile functions, and string resources of libraries.
#pragma once

#include "platform/namesources.h"

namespace iconlane::win32 {

class Win32NameSources final : public NameSources {
public:
    IniValues ReadIniSection(const std::string& path, const std::string& section) override;
    // The library is loaded as an image resource only: none of its code runs.
    std::optional<std::string> LoadLibraryString(const std::string& library,
                                                 std::uint32_t id) override;
    std::optional<std::string> LoadShellString(const std::string& indirect) override;
};

}  // namespace iconlane::win32
