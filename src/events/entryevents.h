// What the entry windows do with their tray notifications, menu choices and blink ticks.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "help/helpwindow.h"
#include "platform/options.h"
#include "platform/services.h"
#include "tray/entrytable.h"
#include "tray/entrywindow.h"

namespace iconlane {

inline constexpr int kRightButtonDownMessage = 516;
inline constexpr int kRightButtonUpMessage = 517;
// The menu key or Shift+F10 on an icon, and the end of every right click as well.
inline constexpr int kContextMenuMessage = 123;
// Enter or Space on an icon; a left click's own notification (1024) is never acted on.
inline constexpr int kKeySelectMessage = 1025;

// Every icon starts blinking with its next tick; nothing changes at once.
void StartAllBlinking(EntryTable& entries);
// Every icon stops blinking and shows its own picture and tooltip again.
void StopAllBlinking(EntryTable& entries);

// "Exiting Iconlane will remove ..." for `entryCount` icons.
std::string ExitQuestion(int entryCount);

class EntryEvents final : public EntryWindowHandler {
public:
    EntryEvents(Services& services, const Options& options, EntryTable& entries, HelpWindow& help);

    // The configured click opens the target (a folder entry's menu, by a single click where no
    // click is configured); the right button opens the menu unless switched off. Enter opens the
    // target (a folder entry's menu, its first item selected), once per key press; the menu key
    // opens the menu at the icon. Ctrl+Shift held with the click or key runs it as administrator.
    void OnTrayMessage(EntryWindow& window, int mouseMessage) override;
    // Alternates the icon between the Up image and the entry's own picture.
    void OnBlinkTick(EntryWindow& window) override;
    void OnIconLost(EntryWindow& window, bool shellRestarted) override;
    void OnMenuItem(EntryWindow& window, int item, HeldKeys keys = {});

    // Makes every icon blink and asks whether to exit; Yes ends the program, No stops the blinking,
    // each at once, whatever modal window is open then.
    void ConfirmExit();
    // True while the exit question waits for its answer.
    bool Confirming() const { return confirming_; }
    // Opens the help; a guide that cannot be loaded is reported instead. While the exit question
    // is open, the question comes to the front instead.
    void ShowHelp();
    // Unloads every entry window in index order, which takes its icon out of the tray, and ends.
    [[noreturn]] void ExitAll();

private:
    // What the keyboard and the right button last did on one icon.
    struct IconInput {
        bool keyLaunchRunning = false;
        std::optional<std::uint64_t> keyLaunchReturned, rightButtonSeen;
    };
    bool WithinDoubleClick(const std::optional<std::uint64_t>& since);
    int OpeningClick(const EntryWindow& window) const;
    void SelectFromKeyboard(EntryWindow& window);
    void OpenMenu(EntryWindow& window, MenuPlace place);
    void OpenFolderMenu(EntryWindow& window, bool fromKeyboard);
    void Follow(EntryWindow& window, const MenuChoice& choice, bool fromKeyboard);

    Services& services_;
    const Options& options_;
    EntryTable& entries_;
    HelpWindow& help_;
    bool confirming_ = false;                   // the exit question waits for its answer
    std::map<std::uint32_t, IconInput> input_;  // by icon id
};

}  // namespace iconlane
