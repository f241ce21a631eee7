// A name or comment as the shell reads it: an indirect string names its library as written and an
// id of a string resource; only "@{" texts go to the shell; a text that names no string shows none.
#include "harness.h"
#include "names/shownnames.h"
#include "platform/textrules.h"

struct Loads : iconlane::NameSources {  // every library string loads as "<library>#<id>"
    iconlane::IniValues ReadIniSection(const std::string&, const std::string&) override {
        return {};
    }
    std::optional<std::string> LoadLibraryString(const std::string& file,
                                                 std::uint32_t id) override {
        return file + "#" + std::to_string(id);
    }
    std::optional<std::string> LoadShellString(const std::string&) override { return "shell"; }
};

void Fuzz(const std::string& text) {
    using Kind = iconlane::IndirectString::Kind;
    const iconlane::IndirectString read = iconlane::ParseIndirectString(text);
    const std::string head = "@" + read.library + ",-";
    const std::size_t end = text.find_first_not_of("0123456789", head.size());
    FUZZ_CHECK(read.kind != Kind::kLibrary ||
               (!read.library.empty() && text.starts_with(head) && end != head.size() &&
                (end == std::string::npos || text[end] == ';') &&
                std::stoul(text.substr(head.size(), end - head.size())) == read.id));
    FUZZ_CHECK((read.kind == Kind::kShell) == text.starts_with("@{"));
    FUZZ_CHECK(read.kind == Kind::kPlain || text.starts_with('@') ||
               iconlane::LowerCase(text.substr(0, 12)) == "ms-resource:");
    Loads loads;
    const std::string shown = iconlane::ResolvedText(text, loads);
    FUZZ_CHECK(read.kind == Kind::kPlain   ? shown == text
               : read.kind == Kind::kNone  ? shown.empty()
               : read.kind == Kind::kShell ? shown == "shell"
                                           : shown == read.library + "#" + std::to_string(read.id));
}
