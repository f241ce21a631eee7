// The names and comments Explorer shows. A folder's desktop.ini names its files (its section
// [LocalizedFileNames]), a sub-folder's own desktop.ini names the sub-folder ([.ShellClassInfo]
// LocalizedResourceName), and these names and a shortcut's comment may be indirect strings: the
// number of a string in a library's resources, in the user's language.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/namesources.h"
#include "platform/services.h"

namespace iconlane {

// A text as the shell reads it.
struct IndirectString {
    enum class Kind {
        kPlain,    // shown as it is ("@home" too: it names no string)
        kLibrary,  // "@<library>,-<id>", a ";<comment>" after it ignored: string <id> of <library>
        kShell,    // "@{<package or resource file>?ms-resource:...}": only the shell resolves it
        kNone,  // names a string nothing can load: "ms-resource:...", "@x.dll,7", "@x.dll,-70000"
    };
    Kind kind = Kind::kPlain;
    std::string library;  // as written, environment references and all
    std::uint32_t id = 0;
    bool operator==(const IndirectString&) const = default;
};

// The id is the first ",-" and digits after the "@" that end the text or stand before a ";", so
// that a comma in the library's path or in the comment cannot be taken for it.
IndirectString ParseIndirectString(std::string_view text);

// The text shown for `text`: a plain one as it is, an indirect one as the string it names; empty
// when that string cannot be loaded (its library is missing, say): the raw text is never shown.
std::string ResolvedText(const std::string& text, NameSources& sources);

// The names the desktop.ini files of one folder give its items, each desktop.ini read and each
// indirect string resolved once per object.
class FolderNames {
public:
    FolderNames(NameSources& sources, std::string folder)
        : sources_(sources), folder_(std::move(folder)) {}

    // A file's entry in the folder's [LocalizedFileNames] (its key the file name, in any letter
    // case), a sub-folder's own LocalizedResourceName, resolved; empty where none gives a text.
    std::string GivenName(const FolderItem& item);
    // ResolvedText, remembered.
    std::string Resolved(const std::string& text);

private:
    NameSources& sources_;
    std::string folder_;
    std::optional<std::unordered_map<std::string, std::string>> fileNames_;  // folded -> as given
    std::map<std::string, std::string> subFolderNames_, resolved_;
};

}  // namespace iconlane
