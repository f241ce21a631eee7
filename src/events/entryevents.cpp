#include "events/entryevents.h"

#include <cstdlib>

#include "menus/entrymenu.h"
#include "menus/foldermenu.h"
#include "platform/errors.h"
#include "platform/textrules.h"

namespace iconlane {

void StartAllBlinking(EntryTable& entries) {
    int count = entries.EntryCount();
    for (int index = 1; index <= count; ++index) {
        if (EntryWindow* window = entries.EntryWindows(index)) window->SetFadeTimerEnabled(true);
    }
}

void StopAllBlinking(EntryTable& entries) {
    int count = entries.EntryCount();
    for (int index = 1; index <= count; ++index) {
        if (EntryWindow* window = entries.EntryWindows(index)) window->SetFadeTimerEnabled(false);
        entries.SetEntryIcon(index, "Down");
    }
}

std::string ExitQuestion(int entryCount) {
    if (entryCount == 1) return "Exiting Iconlane will remove this icon - Are you sure?";
    return "Exiting Iconlane will remove the " + std::to_string(entryCount) +
           " icons managed by it - Are you sure?";
}

EntryEvents::EntryEvents(Services& services, const Options& options, EntryTable& entries,
                         HelpWindow& help)
    : services_(services), options_(options), entries_(entries), help_(help) {}

void EntryEvents::OnTrayMessage(EntryWindow& window, int mouseMessage) {
    // The click test comes first: a click message never opens the right-button menu.
    if (mouseMessage == OpeningClick(window)) {
        if (window.FolderEntry()) return OpenFolderMenu(window, false);
        // The notification carries no keys: they are read now, as the click leaves them.
        entries_.LaunchTarget(WholeNumberValue(window.Tag()), services_.windows.KeysHeld());
        return;
    }
    IconInput& input = input_[window.IconId()];
    switch (mouseMessage) {
        case kRightButtonDownMessage:
            input.rightButtonSeen = services_.windows.Milliseconds();
            if (!options_.RightMenuDisabled) OpenMenu(window, MenuPlace::kAtMouse);
            break;
        case kRightButtonUpMessage:
            input.rightButtonSeen = services_.windows.Milliseconds();
            break;
        case kContextMenuMessage:
            // Right after the right button it ends that click, whose press opened the menu.
            if (!options_.RightMenuDisabled && !WithinDoubleClick(input.rightButtonSeen)) {
                OpenMenu(window, MenuPlace::kAtIcon);
            }
            break;
        case kKeySelectMessage:
            SelectFromKeyboard(window);
            break;
        default:
            break;
    }
}

// A folder's menu opens nothing by itself, so a folder entry opens it with a single click even
// where no click mode is set.
int EntryEvents::OpeningClick(const EntryWindow& window) const {
    if (options_.ClickMessage == 0 && window.FolderEntry()) return kSingleClickMessage;
    return options_.ClickMessage;
}

bool EntryEvents::WithinDoubleClick(const std::optional<std::uint64_t>& since) {
    return since &&
           services_.windows.Milliseconds() - *since <= services_.windows.DoubleClickMilliseconds();
}

// The shell may report one key press twice, the second time only once the first launch (or
// menu) has returned: one still running, or one that returned within a double click's time, is
// that same press.
void EntryEvents::SelectFromKeyboard(EntryWindow& window) {
    IconInput& input = input_[window.IconId()];
    if (input.keyLaunchRunning || WithinDoubleClick(input.keyLaunchReturned)) return;
    HeldKeys keys = services_.windows.KeysHeld();
    input.keyLaunchRunning = true;
    struct Returned {
        EntryEvents& events;
        IconInput& input;
        ~Returned() {
            input.keyLaunchRunning = false;
            input.keyLaunchReturned = events.services_.windows.Milliseconds();
        }
    } returned{*this, input};
    if (window.FolderEntry()) return OpenFolderMenu(window, true);
    entries_.LaunchTarget(WholeNumberValue(window.Tag()), keys);
}

// The entry's own items, and the shell's menu of its target where that is a file or folder.
void EntryEvents::OpenMenu(EntryWindow& window, MenuPlace place) {
    const std::string& target = entries_.EntryTargets(WholeNumberValue(window.Tag()));
    bool shellTarget = !target.empty() && services_.files.Details(target).has_value();
    MenuRequest request;
    request.items = EntryMenuItems([&window](int item) { return window.MenuItemEnabled(item); },
                                   window.LabelToolTip(), shellTarget ? target : std::string(),
                                   window.Picture1Handle());
    request.place = place;
    request.iconId = window.IconId();
    Follow(window, services_.windows.ShowMenu(request), place == MenuPlace::kAtIcon);
}

// Beside the icon, read as the folder is now; each sub-folder's menu is read when it opens.
void EntryEvents::OpenFolderMenu(EntryWindow& window, bool fromKeyboard) {
    MenuRequest request;
    request.items = ReadFolderMenu(services_.files, services_.names,
                                   entries_.EntryTargets(WholeNumberValue(window.Tag())));
    request.place = MenuPlace::kAtIcon;
    request.iconId = window.IconId();
    request.selectFirst = fromKeyboard;
    request.folderItems = [this](const std::string& folder) {
        return ReadFolderMenu(services_.files, services_.names, folder);
    };
    Follow(window, services_.windows.ShowMenu(request), fromKeyboard);
}

// A keyboard user whose menu closes without a choice goes on from the icon; a menu that never
// opened (another one was open) leaves the focus where it is.
void EntryEvents::Follow(EntryWindow& window, const MenuChoice& choice, bool fromKeyboard) {
    if (!choice.shown) return;
    bool nothing = choice.path.empty() && !choice.shellItem &&
                   (choice.command == 0 || choice.command == kMenuCancel);
    if (fromKeyboard && nothing) entries_.Tray().GiveFocusBack(window.Handle(), window.IconId());
    if (!choice.path.empty()) {
        Launch(services_, choice.path, choice.keys);
    } else if (choice.command != 0) {
        OnMenuItem(window, choice.command, choice.keys);
    }
}

void EntryEvents::OnBlinkTick(EntryWindow& window) {
    bool showUp = window.FlipBlinkPhase();
    entries_.SetEntryIcon(WholeNumberValue(window.Tag()), showUp ? "Up" : "Down");
}

void EntryEvents::OnIconLost(EntryWindow& window, bool shellRestarted) {
    entries_.AddIconAgain(WholeNumberValue(window.Tag()), shellRestarted);
}

void EntryEvents::OnMenuItem(EntryWindow& window, int item, HeldKeys keys) {
    switch (item) {
        case kMenuLaunch:
            entries_.LaunchTarget(WholeNumberValue(window.Tag()), keys);
            break;
        case kMenuHelp:
            ShowHelp();
            break;
        case kMenuExit:
            ConfirmExit();
            break;
        default:  // "Cancel Menu" only closes the menu
            break;
    }
}

void EntryEvents::ShowHelp() {
    // The question owns the screen: the guide never opens above it.
    if (confirming_) return ConfirmExit();
    try {
        help_.Open();
    } catch (const std::exception&) {
        RuntimeError error = CurrentNumberedError();
        services_.dialogs.ShowMessage(
            "Iconlane couldn't load its Help File, " + QuotedExcerpt(help_.GuidePath()) +
                " (error " + std::to_string(error.Number()) + ": " + error.Description() + ").",
            MessageStyle::kExclamation, "Iconlane");
    }
}

void EntryEvents::ConfirmExit() {
    // Asked again while the question is open, it only comes to the front.
    if (!confirming_) StartAllBlinking(entries_);
    confirming_ = true;
    // The answer is acted on when it is given, not when Ask returns: a modal window opened above
    // the question keeps its loop from unwinding, and a later question may be open by then.
    services_.exitDialog.Ask(ExitQuestion(entries_.EntryCount()), [this](ExitAnswer answer) {
        confirming_ = false;
        if (answer == ExitAnswer::kYes) ExitAll();
        StopAllBlinking(entries_);
    });
}

void EntryEvents::ExitAll() {
    int count = entries_.EntryCount();
    for (int index = 1; index <= count; ++index) {
        if (EntryWindow* window = entries_.EntryWindows(index)) window->Unload();
    }
    services_.process.EndNow();
    std::abort();  // not reached: ending the process does not return
}

}  // namespace iconlane
