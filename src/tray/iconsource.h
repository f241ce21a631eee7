// The text rules of icon resolution: a target's file-type extension, and an icon source (file and
// icon number) read from a registry value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace iconlane {

struct IconSource {
    std::string file;
    std::int32_t number = 0;
    bool operator==(const IconSource&) const = default;
};

// ".htm" for a target that begins with "http://" in any letter case; otherwise the text from the
// last "." on, in lower case; the whole target in lower case when it has no ".".
std::string TargetExtension(std::string_view target);

// Blanks (spaces only) removed at both ends.
std::string_view TrimSpaces(std::string_view text);

// A registry value's text: the first (byte count - 1) bytes of what was read. An empty read (no
// terminating NUL either) fails with invalid argument (5).
std::string RegistryText(const std::string& bytes);

// An icon number written in a registry value: an optional sign, blanks around it, a decimal
// fraction rounded half to even. Anything else fails with type mismatch (13); a number outside
// the signed 32-bit range with overflow (6).
std::int32_t IconNumberOf(std::string_view text);

// "file,number" split at the last comma, both parts trimmed; nothing when there is no comma.
std::optional<IconSource> IconSourceFromIconEntry(std::string_view value);

// An open command: "file,number" as above, else the program path before the first blank, icon 0.
IconSource IconSourceFromOpenCommand(std::string_view value);

}  // namespace iconlane
