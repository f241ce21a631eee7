#include "names/shownnames.h"

#include "platform/textrules.h"

namespace iconlane {
namespace {

using Kind = IndirectString::Kind;

// No string resource has a larger id.
constexpr std::uint32_t kLargestStringId = 65535;

std::string InFolder(const std::string& folder, const std::string& name) {
    bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return separated ? folder + name : folder + "\\" + name;
}

// The digits at the start of `text` and their value (capped just above the largest id), when
// they end the text or a ';' follows them.
std::optional<std::uint32_t> IdAtEnd(std::string_view text) {
    std::size_t digits = 0;
    std::uint32_t value = 0;
    for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits)
        value = std::min<std::uint32_t>(value * 10 + (text[digits] - '0'), kLargestStringId + 1);
    bool ends = digits == text.size() || text[digits] == ';';
    return digits > 0 && ends ? std::optional(value) : std::nullopt;
}

std::string ValueOf(const IniValues& values, std::string_view key) {
    for (const auto& [name, value] : values)
        if (FoldCase(name) == FoldCase(key)) return value;
    return {};
}

}  // namespace

IndirectString ParseIndirectString(std::string_view text) {
    if (LowerCase(text.substr(0, 12)) == "ms-resource:") return {Kind::kNone, {}, 0};
    if (!text.starts_with('@')) return {};
    if (text.starts_with("@{")) return {Kind::kShell, {}, 0};
    for (std::size_t comma = text.find(",-"); comma != std::string_view::npos;
         comma = text.find(",-", comma + 1)) {
        std::optional<std::uint32_t> id = IdAtEnd(text.substr(comma + 2));
        if (!id) continue;
        if (comma == 1 || *id > kLargestStringId) return {Kind::kNone, {}, 0};
        return {Kind::kLibrary, std::string(text.substr(1, comma - 1)), *id};
    }
    return {};
}

std::string ResolvedText(const std::string& text, NameSources& sources) {
    IndirectString parsed = ParseIndirectString(text);
    std::optional<std::string> loaded;
    if (parsed.kind == Kind::kPlain) return text;
    if (parsed.kind == Kind::kLibrary)
        loaded = sources.LoadLibraryString(parsed.library, parsed.id);
    if (parsed.kind == Kind::kShell) loaded = sources.LoadShellString(text);
    return loaded.value_or("");
}

std::string FolderNames::Resolved(const std::string& text) {
    auto [at, added] = resolved_.try_emplace(text);
    if (added) at->second = ResolvedText(text, sources_);
    return at->second;
}

std::string FolderNames::GivenName(const FolderItem& item) {
    if (item.folder) {
        auto [at, added] = subFolderNames_.try_emplace(item.name);
        if (added) {
            std::string ini = InFolder(InFolder(folder_, item.name), "desktop.ini");
            at->second = Resolved(
                ValueOf(sources_.ReadIniSection(ini, ".ShellClassInfo"), "LocalizedResourceName"));
        }
        return at->second;
    }
    if (!fileNames_) {
        fileNames_.emplace();
        for (const auto& [name, value] :
             sources_.ReadIniSection(InFolder(folder_, "desktop.ini"), "LocalizedFileNames"))
            fileNames_->try_emplace(FoldCase(name), value);
    }
    if (fileNames_->empty()) return {};  // as most folders have it: no folding for nothing
    auto found = fileNames_->find(FoldCase(item.name));
    return found == fileNames_->end() ? std::string() : Resolved(found->second);
}

}  // namespace iconlane
