#include "entrywindow/entryevents.h"

#include <cstdlib>

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
    // The click test comes first: a click message never opens the menu.
    if (mouseMessage == options_.ClickMessage) {
        entries_.LaunchTarget(WholeNumberValue(window.Tag()));
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
            LaunchFromKeyboard(window);
            break;
        default:
            break;
    }
}

bool EntryEvents::WithinDoubleClick(const std::optional<std::uint64_t>& since) {
    return since &&
           services_.windows.Milliseconds() - *since <= services_.windows.DoubleClickMilliseconds();
}

// The shell may report one key press twice, the second time only once the first launch has
// returned: a launch still running, or one that returned within a double click's time, is that
// same press.
void EntryEvents::LaunchFromKeyboard(EntryWindow& window) {
    IconInput& input = input_[window.IconId()];
    if (input.keyLaunchRunning || WithinDoubleClick(input.keyLaunchReturned)) return;
    input.keyLaunchRunning = true;
    struct Returned {
        EntryEvents& events;
        IconInput& input;
        ~Returned() {
            input.keyLaunchRunning = false;
            input.keyLaunchReturned = events.services_.windows.Milliseconds();
        }
    } returned{*this, input};
    entries_.LaunchTarget(WholeNumberValue(window.Tag()));
}

// A keyboard user whose menu closes without a choice goes on from the icon.
void EntryEvents::OpenMenu(EntryWindow& window, MenuPlace place) {
    int item = window.ShowPopupMenu(place);
    if (place == MenuPlace::kAtIcon && (item == 0 || item == kMenuCancel)) {
        entries_.Tray().GiveFocusBack(window.Handle(), window.IconId());
    }
    if (item != 0) OnMenuItem(window, item);
}

void EntryEvents::OnBlinkTick(EntryWindow& window) {
    bool showUp = window.FlipBlinkPhase();
    entries_.SetEntryIcon(WholeNumberValue(window.Tag()), showUp ? "Up" : "Down");
}

void EntryEvents::OnIconLost(EntryWindow& window, bool shellRestarted) {
    entries_.AddIconAgain(WholeNumberValue(window.Tag()), shellRestarted);
}

void EntryEvents::OnMenuItem(EntryWindow& window, int item) {
    switch (item) {
        case kMenuLaunch:
            entries_.LaunchTarget(WholeNumberValue(window.Tag()));
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
