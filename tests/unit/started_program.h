// The program started on a batch file, driven by a script of actions, or on a folder: what the
// tray and menu tests share.
#pragma once

#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "events/entryevents.h"
#include "fake_platform.h"
#include "startup/startup.h"

namespace iconlane::fake {

// The program started on a batch file of entries "a<k>.exe", tooltip "Tip<k>", and the options
// file `ini`; entry `failed` fails after its window is made. Entry k's icon id is k, as an earlier
// run left them in the map of ids. TEMP names the data folder; `hold` is the hot key's answer.
struct Bench {
    explicit Bench(int count = 0, const std::string& ini = "", int failed = 0,
                   const std::string& temp = "C:\\Data", HotKeyHold hold = HotKeyHold::kHeld) {
        std::string batch, ids;
        for (int k = 1; k <= count; ++k) {
            batch += "a" + std::to_string(k) + ".exe,Tip" + std::to_string(k);
            batch += k == failed ? ",1e10\n" : "\n";
            ids += std::to_string(k) + "\tline:a" + std::to_string(k) + ".exe\n";
        }
        platform.files = {{"list.txt", {batch}},
                          {"C:\\Apps\\Iconlane.ini", {ini}},
                          {"C:\\Data\\iconids.txt", {ids}}};
        platform.variables["TEMP"] = temp;
        platform.commandLine = "/BATCH:list.txt";
        platform.hotKeyHold = hold;
        platform.menuChoice = [this](const MenuRequest&) { return Choice(); };
        platform.exitAnswer = [this](const ExitAnswered& answer) {
            questions.push_back(answer);
            while (Step()) continue;
            questions.pop_back();
        };
        program.Main();
        started = std::exchange(platform.seen, {});
    }
    int Add(std::string target, std::string tooltip = "", std::string iconField = "") {
        const auto id = static_cast<std::uint32_t>(table.EntryCount() + 1);
        return ErrorOf([&] { table.AddEntry(id, target, tooltip, iconField); });
    }
    // What is seen while a script runs, of actions: m<k>:<n> tray message n on entry k, b<k> it
    // starts blinking, t<k> its blink tick, u<k> it is unloaded, g<k> the shell restarted, r<k>
    // its retry tick, p<k>:<phase>, x the exit question, A / F an entry added / failing after its
    // window is made, e the program ends, s the tray's icon size changes, w<n> n ms pass, k<k>
    // entry k gets Enter while the next target opens, v icon copies cannot be saved from now on, o
    // the ids in the order the tray shows them ("tray 1 2"), C / c Ctrl+Shift pressed / released,
    // E an uninstaller asks every Iconlane to end, h the hot key pressed (in a menu too);
    // "!" before one: the shell refuses the icon, "?": it answers false but takes it. A menu takes
    // the next action as the item picked (-1: picking fails, _: another menu is open, >path a
    // file, s an item of the shell's; ^ before it: with Ctrl+Shift); an open question takes the
    // next ones up to "." (its loop unwinds), y and n answering it.
    Texts Run(const std::string& script) {
        platform.seen.clear();
        actions = std::istringstream(script);
        ErrorOf([&] {
            while (Step()) continue;
        });
        return platform.seen;
    }
    bool Step() {
        std::string a;
        if (!(actions >> a) || a == ".") return false;
        platform.refusedAdds = a[0] == '!' ? 1 : 0;
        platform.addsTakenLate = a[0] == '?' ? 1 : 0;
        if (a[0] == '!' || a[0] == '?') a.erase(0, 1);
        const int k = std::atoi(a.c_str() + 1);
        const std::string arg = a.substr(a.find(':') + 1);
        if (a[0] == 'm') platform.slots.at(k - 1)->events.OnTrayMessage(std::stoi(arg));
        if (a[0] == 't') platform.slots.at(k - 1)->events.OnTimer();
        if (a[0] == 'b') table.EntryWindows(k)->SetFadeTimerEnabled(true);
        if (a[0] == 'u') platform.slots.at(k - 1)->Unload();
        if (a[0] == 'g') table.AddIconAgain(k, true);
        if (a[0] == 'r') platform.slots.at(k - 1)->events.OnRetryTimer();
        if (a[0] == 'v') platform.saveIconError = kPathFileAccessError;
        std::string tray = "tray";
        for (std::uint32_t id : platform.inTray) tray += " " + std::to_string(id);
        if (a[0] == 'o') platform.seen.push_back(tray);  // as the shell shows them
        if (a[0] == 'p') table.SetEntryIcon(k, arg == "-" ? "Up " : arg);
        if (a[0] == 'x') program.Events().ConfirmExit();
        if (a[0] == 'E') platform.askedToEnd();
        if (a[0] == 'h') platform.hotKeyPressed();
        if (a[0] == 'A' || a[0] == 'F') Add("T", "", a[0] == 'F' ? "1e10" : "");
        if (a[0] == 'e') table.RemoveAllTrayIcons();
        if (a[0] == 's') platform.iconSizeChanged();
        if (a[0] == 'w') platform.now += k;
        auto enter = [this, k] { platform.slots.at(k - 1)->events.OnTrayMessage(1025); };
        if (a[0] == 'k') platform.duringOpen = enter;
        if (a == "y" || a == "n") questions.back()(a == "y" ? ExitAnswer::kYes : ExitAnswer::kNo);
        if (a == "n") platform.seen.push_back("answered");  // and not ended
        if (a == "C" || a == "c") platform.heldKeys = {a == "C", a == "C"};
        return true;
    }
    MenuChoice Choice() {
        std::string a;
        while (actions >> a && a == "h") platform.hotKeyPressed();
        MenuChoice choice = Chosen();
        choice.shown = a != "_";
        if (a.starts_with('^')) choice.keys = {true, true}, a.erase(0, 1);
        if (a == "-1") Fail(kBadAlloc);
        if (a.starts_with('>')) {
            choice.path = a.substr(1);
        } else if (a == "s") {
            choice.shellItem = true;
        } else if (choice.shown && !a.empty()) {
            choice.command = std::stoi(a);
        }
        return choice;
    }

    FakePlatform platform;
    Iconlane program{platform.services};
    EntryTable& table = program.Entries();
    std::istringstream actions;
    std::vector<ExitAnswered> questions;  // the answers of the questions open
    Texts started;                        // what the start showed
};

// The program on a folder (or, with `batch`, a batch file of lines naming the same targets):
// entries 1 a.exe, 2 Docs & Co (a sub-folder) and 3 Games (a sub-folder with a folder and a
// shortcut), with the icon ids 1, 2 and 3; a sub-folder Maps would get 4.
struct Lane {
    explicit Lane(const std::string& ini = "", bool batch = false) {
        platform.files = {
            {"C:\\L", {"", true}},
            {"C:\\L\\a.exe", {"x"}},
            {"C:\\L\\Docs & Co", {"", true}},
            {"C:\\L\\Games", {"", true}},
            {"C:\\L\\Games\\chess.lnk", {"x"}},
            {"C:\\L\\Games\\Tools", {"", true}},
            {"C:\\Apps\\Iconlane.ini", {ini}},
            {"C:\\Data\\iconids.txt",
             {"1\tfile:a.exe\n2\tfile:docs & co\n3\tfile:games\n4\tfile:maps"}},
            {"C:\\B\\lane.txt", {"C:\\L\\a.exe\nhttps://x.org/,Web\nC:\\L\\Games,G"}}};
        platform.variables["TEMP"] = "C:\\Data";
        platform.commandLine = batch ? "/BATCH:C:\\B\\lane.txt" : "/FOLDER:C:\\L";
        platform.menuChoice = [this](const MenuRequest&) {
            MenuChoice choice = choices.empty() ? Chosen() : choices.front();
            if (!choices.empty()) choices.pop_front();
            return choice;
        };
        program.Main();
        platform.seen.clear();
    }
    // Tray message `message` on entry `entry`, the keys held as it comes and the choice made in
    // the menu it opens.
    Texts Message(int entry, int message, HeldKeys keys = {},
                  std::optional<MenuChoice> choice = {}) {
        platform.seen.clear();
        platform.heldKeys = keys;
        if (choice) choices.push_back(*choice);
        ErrorOf([&] { platform.slots.at(entry - 1)->events.OnTrayMessage(message); });
        return platform.seen;
    }

    FakePlatform platform;
    Iconlane program{platform.services};
    std::deque<MenuChoice> choices;
};

}  // namespace iconlane::fake
