#include "tray/entrytable.h"

#include <vector>

#include "menus/entrymenu.h"
#include "platform/errors.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

// The folder part of an icon field, separator included ("C:\Icons\" of "C:\Icons\Star.ico").
std::string FolderOf(const std::string& path) {
    std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

}  // namespace

std::string IconFileOf(std::string& iconField, FileSystem& files) {
    if (LowerCase(iconField).find(".ico") == std::string::npos) return {};
    std::string folder = FolderOf(iconField);
    iconField = LowerCase(files.FindFirst(iconField, SearchKind::kFilesOnly));
    return iconField.find(".ico") == std::string::npos ? std::string() : folder + iconField;
}

EntryTable::EntryTable(Services& services, const Options& options, IconResolver& icons)
    : services_(services), options_(options), icons_(icons), tray_(services.tray) {}

EntryWindow* EntryTable::EntryWindows(int index) const {
    if (index < 0 || index > kMaxEntries) throw RuntimeError(kSubscriptOutOfRange);
    return windows_[index].get();
}

const std::string& EntryTable::EntryTargets(int index) const {
    if (index < 0 || index > kMaxEntries) throw RuntimeError(kSubscriptOutOfRange);
    return targets_[index];
}

void EntryTable::AddEntry(std::uint32_t iconId, std::string& target, std::string& tooltip,
                          std::string& iconField) {
    int index = entryCount_ + 1;
    if (index > kMaxEntries) throw RuntimeError(kSubscriptOutOfRange);
    entryCount_ = index;
    windows_[index] = std::make_unique<EntryWindow>(
        services_, tray_, iconId, [this](EntryWindow& window) { WindowUnloaded(window); });
    SetUpEntry(index, target, tooltip, iconField);
}

void EntryTable::UpdateEntry(int index, std::string& target, std::string& tooltip,
                             std::string& iconField) {
    if (EntryWindows(index) == nullptr || index > entryCount_)
        throw RuntimeError(kSubscriptOutOfRange);
    SetUpEntry(index, target, tooltip, iconField);
}

void EntryTable::SetUpEntry(int index, std::string& target, std::string& tooltip,
                            std::string& iconField) {
    EntryWindow& window = *windows_[index];
    window.SetHandler(handler_);
    window.SetMenuItemEnabled(kMenuExit, !options_.ExitDisabled);
    window.SetMenuItemEnabled(kMenuHelp, !options_.HelpDisabled);
    // Until the picture is found the entry is nobody's: it opens nothing and shows nothing.
    window.SetTag("");
    targets_[index].clear();
    iconFields_[index] = iconField;
    try {
        InstallDownImage(window, index, target, iconField);
    } catch (...) {
        TakeOutOfTray(index, window);
        throw;
    }
    window.SetTag(std::to_string(index));
    if (tooltip.empty()) tooltip = target;
    window.SetLabelToolTip(tooltip);
    targets_[index] = target;
    ShowInTray(index, window);
    // A copy that could not be saved is told once the entry works, not while it is half made.
    icons_.Cache().ReportFailure();
}

void EntryTable::ShowInTray(int index, EntryWindow& window) {
    if (registered_[index]) {
        tray_.ModifyIcon(window.Handle(), window.IconId(), window.ShownIconHandle(),
                         window.LabelToolTip());
        return;
    }
    registered_[index] = true;
    ++liveIcons_;
    // At log-on the shell may not be ready yet: the icon is then retried until it is taken.
    if (tray_.AddIcon(window.Handle(), window.IconId(), window.Picture1Handle(),
                      window.LabelToolTip())) {
        PutBackIconsAfter(index);
    } else {
        window.SetTrayRetryTimerEnabled(true);
    }
}

// The tray shows icons in the order they came, so an icon that comes after later entries' icons
// would stand behind them: those are taken out and put back behind it, each under its own id.
void EntryTable::PutBackIconsAfter(int index) {
    std::vector<EntryWindow*> later;
    for (int after = index + 1; after <= entryCount_; ++after) {
        EntryWindow* window = windows_[after].get();
        if (window && registered_[after] && window->Loaded() &&
            tray_.IdsInTray().contains(window->IconId())) {
            later.push_back(window);
        }
    }
    for (auto window = later.rbegin(); window != later.rend(); ++window)
        tray_.RemoveTrayIcon((*window)->Handle(), (*window)->IconId());
    for (EntryWindow* window : later) {
        if (!tray_.AddIcon(window->Handle(), window->IconId(), window->ShownIconHandle(),
                           window->LabelToolTip())) {
            window->SetTrayRetryTimerEnabled(true);
        }
    }
}

// The program goes on without the icon: a later save of the file may mend its line.
void EntryTable::TakeOutOfTray(int index, EntryWindow& window) {
    if (!registered_[index]) return;
    window.SetTrayRetryTimerEnabled(false);
    tray_.RemoveTrayIcon(window.Handle(), window.IconId());
    registered_[index] = false;
    --liveIcons_;
}

// An icon field naming an existing .ico file gives the picture; anything else is an icon number
// for the target. The file is loaded from the folder the field names (the current folder when it
// names none), under the name the search matched.
void EntryTable::InstallDownImage(EntryWindow& window, int index, const std::string& target,
                                  std::string& iconField) {
    std::string file = IconFileOf(iconField, services_.files);
    if (!file.empty()) {
        window.SetPicture1(services_.pictures.LoadPictureFile(file));
    } else {
        icons_.ResolveEntryIcon(window, index, target, WholeNumberValue(iconField));
    }
}

void EntryTable::RemoveLastEntry() {
    if (entryCount_ == 0) return;
    int index = entryCount_--;
    // Counted out first, so that the window's unload (which deletes its icon) ends nothing.
    if (registered_[index]) {
        registered_[index] = false;
        --liveIcons_;
    }
    windows_[index].reset();
    targets_[index].clear();
}

std::int32_t EntryTable::LaunchTarget(int index, HeldKeys keys) {
    return Launch(services_, EntryTargets(index), keys);
}

// A shell that only changed its scale still has the icon and refuses the add, and so does one
// that took an add it answered false to: the icon is then changed in place.
void EntryTable::AddIconAgain(int index, bool shellRestarted) {
    EntryWindow* window = EntryWindows(index);
    if (window == nullptr || !registered_[index] || !window->Loaded()) return;
    bool shown = tray_.AddOrChange(window->Handle(), window->IconId(), window->ShownIconHandle(),
                                   window->LabelToolTip());
    window->SetTrayRetryTimerEnabled(!shown);
    // After a restart the later icons come back after it anyway, each in its turn.
    if (shown && !shellRestarted) PutBackIconsAfter(index);
}

void EntryTable::RemakePictures() {
    for (int index = 1; index <= entryCount_; ++index) RemakePicture(index);
    icons_.Cache().ReportFailure();
}

void EntryTable::ItemPictureArrived(const std::string& path) {
    for (int index = 1; index <= entryCount_; ++index) {
        if (targets_[index] == path) RemakePicture(index);
    }
    icons_.Cache().ReportFailure();
}

void EntryTable::RemakePicture(int index) {
    EntryWindow* window = windows_[index].get();
    // An entry whose line failed has no picture in the tray to make again.
    if (window == nullptr || !window->Loaded() || !registered_[index]) return;
    window->SetPicture2(services_.pictures.UpImage());
    std::string iconField = iconFields_[index];
    try {
        InstallDownImage(*window, index, targets_[index], iconField);
    } catch (const std::exception&) {
        // Its source went away since (it is reported when the entries are read again): the
        // picture it has is still the best there is, and a size change is no time for a box.
    }
    tray_.ModifyIcon(window->Handle(), window->IconId(), window->ShownIconHandle(),
                     window->LabelToolTip());
}

void EntryTable::SetEntryIcon(int index, const std::string& phase) {
    EntryWindow* window = EntryWindows(index);
    // An entry whose line failed has no icon to change.
    if (window == nullptr || !registered_[index]) return;
    std::uintptr_t icon =
        UpperCase(phase) == "UP" ? window->Picture2Handle() : window->Picture1Handle();
    tray_.ModifyIcon(window->Handle(), window->IconId(), icon, window->LabelToolTip());
}

void EntryTable::WindowUnloaded(EntryWindow& window) {
    int index = static_cast<int>(NumericValue(window.Tag()));
    if (index < 1 || index > kMaxEntries || !registered_[index]) return;
    registered_[index] = false;
    if (--liveIcons_ == 0) services_.windows.QuitMessageLoop();
}

bool EntryTable::HasIcon(int index) const {
    if (index < 1 || index > entryCount_ || !registered_[index]) return false;
    return windows_[index] && windows_[index]->Loaded();
}

void EntryTable::RemoveAllTrayIcons() {
    for (int index = 1; index <= entryCount_; ++index) {
        const EntryWindow* window = windows_[index].get();
        if (registered_[index] && window) tray_.RemoveTrayIcon(window->Handle(), window->IconId());
    }
}

}  // namespace iconlane
