#include "tray/iconresolution.h"

#include "platform/errors.h"
#include "tray/shortcutpicture.h"

namespace iconlane {
namespace {

constexpr std::int32_t kProgramStockIcon = 2;
constexpr std::int32_t kDocumentStockIcon = 0;

}  // namespace

std::string IconResolver::SystemIconLibrary() const {
    return services_.pictures.SystemDirectory() + "\\SHELL32.DLL";
}

void IconResolver::ResolveEntryIcon(EntryWindow& window, int index, const std::string& target,
                                    std::int32_t iconNumber) {
    if (!LoadIconFromFile(window, index, target, iconNumber)) {
        ResolveTargetIcon(window, index, target);
    }
}

bool IconResolver::LoadIconFromFile(EntryWindow& window, int index, const std::string& file,
                                    std::int32_t number) {
    PicturePtr picture = services_.pictures.ExtractIconPicture(file, number);
    if (!picture) return false;
    InstallEntryIcon(window, index, std::move(picture));
    return true;
}

void IconResolver::ResolveTargetIcon(EntryWindow& window, int index, const std::string& target) {
    if (std::optional<IconSource> source = AssociatedIconSource(target)) {
        if (LoadIconFromFile(window, index, source->file, source->number)) return;
    }
    if (LoadShortcutPicture(window, index, target)) return;
    if (LoadIconFromFile(window, index, SystemIconLibrary(), kDocumentStockIcon)) return;
    // Not even the system has an icon: the program's own keeps the entry visible in the tray.
    window.SetPicture1(services_.pictures.BuiltInIcon());
}

// A registry value that cannot be used (an icon number that is no number or is out of range, or
// a value that reads as nothing) leaves only the last resort; it never costs the entry.
std::optional<IconSource> IconResolver::AssociatedIconSource(const std::string& target) {
    std::string extension = TargetExtension(target);
    if (extension == ".exe") return IconSource{SystemIconLibrary(), kProgramStockIcon};
    try {
        std::optional<std::string> type = ReadRegistryText(extension);
        if (!type) return std::nullopt;
        if (auto icon = ReadRegistryText(*type + "\\DefaultIcon")) {
            if (auto source = IconSourceFromIconEntry(*icon)) return source;
        }
        std::optional<std::string> command = ReadRegistryText(*type + "\\shell\\open\\command");
        if (!command) return std::nullopt;
        return IconSourceFromOpenCommand(*command);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

// Where only the stock icon is left, a shortcut shows its own icon, else the picture of what it
// opens by the rules of any target, else (a shortcut to the computer or an app, with no path) the
// shell's picture of its item. One level only: a shortcut to a shortcut (or to itself) then ends
// at the stock icon.
bool IconResolver::LoadShortcutPicture(EntryWindow& window, int index, const std::string& target) {
    if (inShortcut_) return false;
    std::optional<ShortcutPicture> picture = ShortcutPictureOf(target, services_);
    if (!picture) return false;
    if (picture->icon &&
        LoadIconFromFile(window, index, picture->icon->file, picture->icon->number)) {
        return true;
    }
    if (picture->target.empty()) {
        PicturePtr item = picture->itemList ? services_.shortcuts.ItemListPicture(target) : nullptr;
        if (!item) return false;
        InstallEntryIcon(window, index, std::move(item));
        return true;
    }
    struct Level {
        bool& inside;
        explicit Level(bool& flag) : inside(flag) { inside = true; }
        ~Level() { inside = false; }
    } level(inShortcut_);
    ResolveEntryIcon(window, index, picture->target, 0);
    return true;
}

std::optional<std::string> IconResolver::ReadRegistryText(const std::string& subkey) {
    std::optional<std::string> bytes = services_.registry.ReadClassesRootDefault(subkey);
    if (!bytes) return std::nullopt;
    return RegistryText(*bytes);
}

// The extracted icon is shown, and a copy of it kept in its cache file, which holds exactly the
// icon's pixels: reading the file back would only give the same picture again, later. The copy
// failing costs the entry nothing.
void IconResolver::InstallEntryIcon(EntryWindow& window, int index, PicturePtr picture) {
    window.SetPicture1(std::move(picture));
    cache_.Keep(index, *window.Picture1());
}

}  // namespace iconlane
