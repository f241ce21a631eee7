// The table of entries, one per tray icon, and the operations that register and switch their icons.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/options.h"
#include "platform/services.h"
#include "tray/entrywindow.h"
#include "tray/iconresolution.h"
#include "tray/trayicons.h"

namespace iconlane {

inline constexpr int kMaxEntries = 30;

// The .ico file an icon field names, as an entry loads it: the first file its name (wildcards
// allowed) matches, in the folder the field names (the current folder when it names none). Empty
// when it names none: the entry then takes the field as an icon number. `iconField` becomes the
// name matched, in lower case. Fails with bad file name (52) for a name no file can have.
std::string IconFileOf(std::string& iconField, FileSystem& files);

class EntryTable {
public:
    EntryTable(Services& services, const Options& options, IconResolver& icons);

    // Creates entry EntryCount() + 1 with the tray icon id `iconId`: its window, then its whole
    // state from its fields (see SetUpEntry). Fails with subscript out of range (9) beyond 30
    // entries, before anything is created; an entry that fails later keeps its number.
    void AddEntry(std::uint32_t iconId, std::string& target, std::string& tooltip,
                  std::string& iconField);

    // Entry `index` made anew in place from other fields, by the same route as at its start.
    void UpdateEntry(int index, std::string& target, std::string& tooltip, std::string& iconField);
    // Takes the newest entry away, its tray icon with it; the program goes on even with none left.
    void RemoveLastEntry();

    // Tray notifications and blink ticks of every entry window go to `handler`.
    void SetWindowHandler(EntryWindowHandler* handler) { handler_ = handler; }

    // Opens entry `index`'s target by the one route of every target (see Launch), with the keys
    // held at the click or choice.
    std::int32_t LaunchTarget(int index, HeldKeys keys = {});

    // Puts entry `index`'s icon into the tray again as it shows now, exactly once: after a
    // restart of the shell (`shellRestarted`: every entry's icon comes back, in entry order), or
    // when the shell did not take it. Retries while the shell refuses.
    void AddIconAgain(int index, bool shellRestarted);

    // Makes every entry's two pictures again, as its add made them, at the size the tray shows
    // icons at now, and shows them; an entry whose own picture cannot be made again keeps it.
    void RemakePictures();
    // The shell's late picture of the item a shortcut points to has come: the entries whose target
    // is that shortcut make their picture again, which now takes it, and show it.
    void ItemPictureArrived(const std::string& path);

    // Shows the Up image for the phase "Up" (any letter case), the entry's own picture otherwise.
    void SetEntryIcon(int index, const std::string& phase);

    int EntryCount() const { return entryCount_; }
    EntryWindow* EntryWindows(int index) const;
    const std::string& EntryTargets(int index) const;
    TrayIcons& Tray() { return tray_; }

    // Entries whose tray icon was registered and whose window is still loaded.
    int LiveIconCount() const { return liveIcons_; }
    // True when entry `index` is one of them.
    bool HasIcon(int index) const;
    // Deletes every live tray icon, for an end of the program that unloads no window.
    void RemoveAllTrayIcons();

private:
    // The one route that gives an entry its state: handler, menu, picture, tag, tooltip, target
    // and its icon in the tray (added, or changed where it is there already). An entry whose
    // fields fail has no icon in the tray, whatever it showed before, and the failure goes on.
    void SetUpEntry(int index, std::string& target, std::string& tooltip, std::string& iconField);
    void ShowInTray(int index, EntryWindow& window);
    void PutBackIconsAfter(int index);
    void RemakePicture(int index);
    void TakeOutOfTray(int index, EntryWindow& window);
    void InstallDownImage(EntryWindow& window, int index, const std::string& target,
                          std::string& iconField);
    void WindowUnloaded(EntryWindow& window);

    Services& services_;
    const Options& options_;
    IconResolver& icons_;
    EntryWindowHandler* handler_ = nullptr;
    TrayIcons tray_;
    int entryCount_ = 0;
    int liveIcons_ = 0;
    std::array<std::string, kMaxEntries + 1> targets_;
    std::array<std::string, kMaxEntries + 1> iconFields_;  // as given, for making pictures again
    std::array<bool, kMaxEntries + 1> registered_{};
    // Last, so the windows unload (and delete their icons) while the rest is still alive.
    std::array<std::unique_ptr<EntryWindow>, kMaxEntries + 1> windows_;
};

}  // namespace iconlane
