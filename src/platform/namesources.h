// Where the names and comments Explorer shows come from: a folder's desktop.ini and the string
// resources of libraries that indirect strings ("@%SystemRoot%\system32\shell32.dll,-22") name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace iconlane {

using IniValues = std::vector<std::pair<std::string, std::string>>;  // key, value; in file order

class NameSources {
public:
    virtual ~NameSources() = default;
    // The keys of one section of an initialization file (a desktop.ini) and their values, read as
    // the system reads them: UTF-16 with a byte-order mark as Explorer writes it, else the legacy
    // code page; surrounding quotes removed. Nothing when the file or the section is missing.
    virtual IniValues ReadIniSection(const std::string& path, const std::string& section) = 0;
    // String `id` of a library's resources, the environment references in its path expanded
    // first; nothing when the library cannot be loaded or holds no such string, or it is empty.
    virtual std::optional<std::string> LoadLibraryString(const std::string& library,
                                                         std::uint32_t id) = 0;
    // An indirect string that only the shell can resolve ("@{<package>?ms-resource://...}");
    // nothing when it cannot.
    virtual std::optional<std::string> LoadShellString(const std::string& indirect) = 0;
};

}  // namespace iconlane
