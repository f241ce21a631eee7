// A registry value as an icon source: only invalid argument, overflow and type mismatch fail it;
// the extension ends the target, and "file,number" splits at the last comma into trimmed parts.
#include "harness.h"
#include "platform/textrules.h"
#include "tray/iconsource.h"

using namespace iconlane;

void Fuzz(const std::string& value) {
    const std::string extension = TargetExtension(value), lower = LowerCase(value);
    FUZZ_CHECK(lower.starts_with("http://") ? extension == ".htm" : lower.ends_with(extension));
    FUZZ_CHECK(lower.starts_with("http://") || extension == lower || extension.rfind('.') == 0);
    ErrorOf([&] { FUZZ_CHECK(RegistryText(value).size() + 1 == value.size()); },
            {kInvalidArgument});
    std::optional<IconSource> entry;
    const int error =
        ErrorOf([&] { entry = IconSourceFromIconEntry(value); }, {kOverflow, kTypeMismatch});
    const std::size_t comma = value.rfind(',');
    FUZZ_CHECK(comma != std::string::npos || (!error && !entry));
    if (entry) {
        FUZZ_CHECK(entry->file == TrimSpaces(value.substr(0, comma)));
        FUZZ_CHECK(entry->number == IconNumberOf(value.substr(comma + 1)));
    }
    IconSource command;
    FUZZ_CHECK(ErrorOf([&] { command = IconSourceFromOpenCommand(value); },
                       {kOverflow, kTypeMismatch}) == error);
    FUZZ_CHECK(entry
                   ? command == *entry
                   : error || (command.number == 0 && command.file.find(' ') == std::string::npos));
}
