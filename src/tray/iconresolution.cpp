#include "tray/iconresolution.h"

#include <optional>

#include "platform/errors.h"
#include "tray/iconsource.h"
#include "tray/shortcutpicture.h"

namespace iconlane {
namespace {

constexpr std::int32_t kProgramStockIcon = 2;
constexpr std::int32_t kDocumentStockIcon = 0;
constexpr std::int32_t kFolderStockIcon = 3;

// One search for one target's picture; a shortcut's target is searched for within it, once.
class TargetPictureSearch {
public:
    explicit TargetPictureSearch(const PictureSources& sources) : sources_(sources) {}

    PicturePtr Find(const std::string& target, std::int32_t iconNumber) {
        if (PicturePtr own = Extract(target, iconNumber)) return own;
        if (IsFolder(target)) return FolderPicture(target);
        if (std::optional<IconSource> source = AssociatedIconSource(target)) {
            if (PicturePtr picture = Extract(source->file, source->number)) return picture;
        }
        if (PicturePtr picture = PictureOfShortcut(target)) return picture;
        return Extract(SystemIconLibrary(), kDocumentStockIcon);
    }

private:
    PicturePtr Extract(const std::string& file, std::int32_t number) {
        return sources_.pictures.ExtractIconPicture(file, number);
    }

    // The system icon library, built afresh from the system folder each time.
    std::string SystemIconLibrary() {
        return sources_.pictures.SystemDirectory() + "\\SHELL32.DLL";
    }

    bool IsFolder(const std::string& target) {
        std::optional<FolderItem> details = sources_.files.Details(target);
        return details && details->folder;
    }

    // Whatever its name says (a folder may be called "Tools.exe"), a folder shows what Explorer
    // shows for it: the folder picture, or its own icon where its desktop.ini names one.
    PicturePtr FolderPicture(const std::string& folder) {
        if (std::optional<IconLocation> location = sources_.pictures.ShellIconLocation(folder)) {
            std::string file = ExpandAllVariables(location->file, sources_.environment);
            if (PicturePtr picture = Extract(file, location->number)) return picture;
        }
        return Extract(SystemIconLibrary(), kFolderStockIcon);
    }

    // A registry value that cannot be used (an icon number that is no number or is out of range,
    // or a value that reads as nothing) leaves only the last resort; it never costs the entry.
    std::optional<IconSource> AssociatedIconSource(const std::string& target) {
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

    std::optional<std::string> ReadRegistryText(const std::string& subkey) {
        std::optional<std::string> bytes = sources_.registry.ReadClassesRootDefault(subkey);
        if (!bytes) return std::nullopt;
        return RegistryText(*bytes);
    }

    // Where only the stock icon is left, a shortcut shows its own icon, else the picture of what
    // it opens by the rules of any target, else (a shortcut to the computer or an app, with no
    // path) the shell's picture of its item. One level only: a shortcut to a shortcut (or to
    // itself) then ends at the stock icon.
    PicturePtr PictureOfShortcut(const std::string& target) {
        if (inShortcut_) return nullptr;
        std::optional<ShortcutPicture> picture = ShortcutPictureOf(
            target, sources_.shortcuts, sources_.files, sources_.process, sources_.environment);
        if (!picture) return nullptr;
        if (picture->icon) {
            if (PicturePtr own = Extract(picture->icon->file, picture->icon->number)) return own;
        }
        if (picture->target.empty()) {
            return picture->itemList ? sources_.shortcuts.ItemListPicture(target) : nullptr;
        }
        inShortcut_ = true;
        PicturePtr opened = Find(picture->target, 0);
        inShortcut_ = false;
        return opened;
    }

    const PictureSources& sources_;
    bool inShortcut_ = false;
};

}  // namespace

PictureSources SourcesOf(Services& services) {
    return {services.files,     services.pictures,    services.registry,
            services.shortcuts, services.environment, services.process};
}

PicturePtr FindTargetPicture(const PictureSources& sources, const std::string& target,
                             std::int32_t iconNumber) {
    return TargetPictureSearch(sources).Find(target, iconNumber);
}

// The picture found is shown, and a copy of it kept in its cache file, which holds exactly the
// icon's pixels: reading the file back would only give the same picture again, later. The copy
// failing costs the entry nothing.
void IconResolver::ResolveEntryIcon(EntryWindow& window, int index, const std::string& target,
                                    std::int32_t iconNumber) {
    PicturePtr picture = FindTargetPicture(SourcesOf(services_), target, iconNumber);
    if (!picture) {
        // Not even the system has an icon: the program's own keeps the entry visible in the tray.
        window.SetPicture1(services_.pictures.BuiltInIcon());
        return;
    }
    window.SetPicture1(std::move(picture));
    cache_.Keep(index, *window.Picture1());
}

}  // namespace iconlane
