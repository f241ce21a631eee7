// What the entry windows do with their tray notifications, menu choices and blink ticks.
#pragma once

#include <string>

#include "entrywindow/entrywindow.h"
#include "help/helpwindow.h"
#include "platform/services.h"
#include "startup/options.h"
#include "tray/entrytable.h"

namespace iconlane {

inline constexpr int kRightButtonDownMessage = 516;

// Every icon starts blinking with its next tick; nothing changes at once.
void StartAllBlinking(EntryTable& entries);
// Every icon stops blinking and shows its own picture and tooltip again.
void StopAllBlinking(EntryTable& entries);

// "Exiting Iconlane will remove ..." for `entryCount` icons.
std::string ExitQuestion(int entryCount);

class EntryEvents final : public EntryWindowHandler {
public:
    EntryEvents(Services& services, const Options& options, EntryTable& entries, HelpWindow& help);

    // The configured click opens the target; the right button opens the menu unless switched off.
    void OnTrayMessage(EntryWindow& window, int mouseMessage) override;
    // Alternates the icon between the Up image and the entry's own picture.
    void OnBlinkTick(EntryWindow& window) override;
    void OnIconLost(EntryWindow& window) override;
    void OnMenuItem(EntryWindow& window, int item);

    // Makes every icon blink and asks whether to exit; Yes ends the program, No stops the blinking,
    // each at once, whatever modal window is open then.
    void ConfirmExit();
    // Opens the help; a guide that cannot be loaded is reported instead. While the exit question
    // is open, the question comes to the front instead.
    void ShowHelp();
    // Unloads every entry window in index order, which takes its icon out of the tray, and ends.
    [[noreturn]] void ExitAll();

private:
    Services& services_;
    const Options& options_;
    EntryTable& entries_;
    HelpWindow& help_;
    bool confirming_ = false;  // the exit question waits for its answer
};

}  // namespace iconlane
