#include "tray/shortcutpicture.h"

#include "platform/errors.h"
#include "platform/textreader.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view Unquoted(std::string_view value) {
    bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::int32_t IconIndexOf(std::string_view value) {
    try {
        return WholeNumberValue(value);
    } catch (const RuntimeError&) {
        return 0;
    }
}

ShortcutPicture PictureOf(const std::string& iconFile, std::int32_t iconNumber,
                          const std::string& target, const Environment& environment) {
    ShortcutPicture picture{std::nullopt, target};
    if (!iconFile.empty()) picture.icon = {ExpandAllVariables(iconFile, environment), iconNumber};
    return picture;
}

std::optional<ShortcutPicture> LinkPicture(const std::string& path, Shortcuts& shortcuts,
                                           const Environment& environment) {
    std::optional<ShortcutDetails> details = shortcuts.ReadShortcut(path);
    if (!details) return std::nullopt;
    ShortcutPicture picture =
        PictureOf(details->iconFile, details->iconNumber, details->target, environment);
    picture.itemList = details->hasItemList;
    return picture;
}

std::optional<ShortcutPicture> InternetPicture(const std::string& path, FileSystem& files,
                                               const Process& process,
                                               const Environment& environment) {
    InternetShortcut shortcut;
    try {
        shortcut = ParseInternetShortcut(TextOfFile(files.ReadFile(path), process));
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    return PictureOf(shortcut.iconFile, shortcut.iconNumber, shortcut.url, environment);
}

}  // namespace

InternetShortcut ParseInternetShortcut(const std::string& text) {
    InternetShortcut shortcut;
    bool inSection = false;
    LineReader reader(text);
    while (!reader.AtEnd()) {
        std::string line = reader.ReadLine();
        std::string_view trimmed = TrimBlanks(line);
        if (trimmed.starts_with('[')) {
            inSection = UpperCase(trimmed) == "[INTERNETSHORTCUT]";
            continue;
        }
        std::size_t equals = trimmed.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        std::string key = UpperCase(TrimBlanks(trimmed.substr(0, equals)));
        std::string value(Unquoted(TrimBlanks(trimmed.substr(equals + 1))));
        if (key == "URL") shortcut.url = value;
        if (key == "ICONFILE") shortcut.iconFile = value;
        if (key == "ICONINDEX") shortcut.iconNumber = IconIndexOf(value);
    }
    return shortcut;
}

std::string ExpandAllVariables(std::string_view text, const Environment& environment) {
    std::string expanded;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t open = text.find('%', at);
        std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        std::string value =
            environment.Variable(std::string(text.substr(open + 1, close - open - 1)));
        expanded += text.substr(at, open - at);
        expanded += value.empty() ? text.substr(open, close - open + 1) : std::string_view(value);
        at = close + 1;
    }
    expanded += text.substr(std::min(at, text.size()));
    return expanded;
}

std::optional<ShortcutPicture> ShortcutPictureOf(const std::string& target, Shortcuts& shortcuts,
                                                 FileSystem& files, const Process& process,
                                                 const Environment& environment) {
    if (target.size() <= 4) return std::nullopt;
    std::string extension = LowerCase(std::string_view(target).substr(target.size() - 4));
    if (extension == ".lnk") return LinkPicture(target, shortcuts, environment);
    if (extension == ".url") return InternetPicture(target, files, process, environment);
    return std::nullopt;
}

}  // namespace iconlane
