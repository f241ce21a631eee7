// The live lane: a batch file or a folder of shortcuts kept in step with the tray while the
// program runs, and a second start of the same list.
#include <sstream>

#include "scenarios.h"

namespace e2e {
namespace {

// Whether another program could take Ctrl+Alt+Q now. Tried on a window, which lets go of it with
// itself: under Wine a hot key of a thread that had no message queue yet outlives the thread.
bool chordFree() {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
    const bool free = RegisterHotKey(window, 1, MOD_CONTROL | MOD_ALT, 'Q');
    DestroyWindow(window);
    return free;
}

const Row kRows[] = {
    // A file stands where the data folder would be: the icons show all the same, and one message
    // says that their copies could not be saved.
    {"FolderOfShortcutsShowsTheirPicturesAndCommentsAndFollowsTheFolder",
     [](Driver& d) {
         std::filesystem::create_directories(d.path("$D\\ql\\sub"));
         d.write("Iconlane", "not a folder");
         shortcut(d, "b.lnk", "", "%E2E_DIR%\\own2.ico");
         shortcut(d, "A.lnk", "Mail, work", "$D\\own1.ico");
         d.write("ql\\desktop.ini", "[.ShellClassInfo]");
         SetFileAttributesA(d.path("$D\\ql\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
         d.writeLines("Iconlane.ini", {"CLICKMODE=SINGLE"});
         d.start("/folder:$D\\ql", {{"E2E_DIR", d.path("$D")}});
         EXPECT_EQ(waitForTips(3), "Mail, work|b|sub");  // a sub-folder is an entry too
         expectBox(d, "Iconlane",
                   "Error 53 (File not found) while saving a copy of an icon in the data folder '",
                   "\\Iconlane'.\n\nThe icons are shown, but their copies could not be saved.",
                   false);
         EXPECT_TRUE(d.shows(0, true) && d.shows(1, true)) << "not the shortcuts' own pictures";
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "the shortcut's target did not open";
         // Inserted between them: b and sub go and come back after it under their own ids, A stays.
         const std::vector<UINT> first = d.spy.ids(NIM_ADD);
         shortcut(d, "Ab.lnk", "Third", "$D\\own3.ico");
         EXPECT_EQ(waitForTips(4), "Mail, work|Third|b|sub");
         EXPECT_TRUE(d.showsNoDialog()) << "a failing copy reported again";
         const std::vector<UINT> inserted = d.spy.ids(NIM_ADD);
         ASSERT_EQ(inserted.size(), 6u);
         EXPECT_TRUE(inserted[4] == first[1] && inserted[5] == first[2] &&
                     std::find(first.begin(), first.end(), inserted[3]) == first.end());
         EXPECT_EQ(d.spy.calls(NIM_DELETE).size(), 2u) << "an icon before the new one moved";
         EXPECT_EQ(d.spy.calls(NIM_MODIFY).size(), 0u);
         DeleteFileA(d.path("$D\\ql\\Ab.lnk").c_str());
         EXPECT_EQ(waitForTips(3), "Mail, work|b|sub");
         // A shortcut to the computer gives the tray the shell's own picture of the computer.
         shortcut(d, "This PC.lnk", "", "");
         EXPECT_EQ(waitForTips(4), "Mail, work|b|sub|This PC");
         LPITEMIDLIST computer = nullptr;
         SHFILEINFOA info{};
         SHGetSpecialFolderLocation(0, CSIDL_DRIVES, &computer);
         SHGetFileInfoA(LPCSTR(computer), 0, &info, sizeof info,
                        SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON);  // the tray's size here
         const std::string bits = colourBits(info.hIcon);
         EXPECT_TRUE(!bits.empty() &&
                     d.spy.picture(d.spy.calls(NIM_ADD).back().first).ends_with(bits))
             << "not the computer's picture";
         ASSERT_TRUE(d.close());
         DeleteFileA(d.path("$D\\Iconlane").c_str());  // the profile can be written again
         d.start("/folder:$D\\ql", {{"E2E_DIR", d.path("$D")}});  // the next log-on
         EXPECT_EQ(waitForTips(4), "Mail, work|b|sub|This PC");
         const std::vector<UINT> again = d.spy.ids(NIM_ADD);
         EXPECT_EQ(std::vector<UINT>(again.end() - 4, again.end() - 1), first) << "ids not kept";
     }},
    // Quick Launch as Windows makes it: a hidden desktop.ini in UTF-16 names Windows' own
    // shortcuts (shell items, no path), a sub-folder names itself in its own (in ANSI), comments
    // are indirect strings, one of a library Wine lacks; the task bar's pins in a hidden folder.
    {"AQuickLaunchFolderAsWindowsMakesItShowsExplorersNamesAndComments",
     [](Driver& d) {
         copyData(d, "quicklaunch", "ql");
         std::filesystem::create_directory(d.path("$D\\ql\\User Pinned\\TaskBar\\Tombstones"));
         for (const char* hidden : {"desktop.ini", "Tools\\desktop.ini", "User Pinned",
                                    "User Pinned\\TaskBar\\Tombstones"})
             SetFileAttributesA(d.path("$D\\ql\\" + std::string(hidden)).c_str(),
                                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
         SetFileAttributesA(d.path("$D\\ql\\Tools").c_str(), FILE_ATTRIBUTE_READONLY);
         shortcut(d, "Editor.lnk", "@%SystemRoot%\\system32\\shell32.dll,-21", "$D\\own1.ico");
         shortcut(d, "Fax.lnk", "@%windir%\\system32\\FXSRESM.dll,-121", "$D\\own2.ico");
         shortcut(d, "Tools\\x.lnk", "", "$D\\own1.ico", "x");
         shortcut(d, "Tools\\y.lnk", "", "$D\\own2.ico", "y");
         d.start("/FOLDER:$D\\ql");
         EXPECT_EQ(waitForTips(5),
                   "Control Panel|Documents|My Computer|Fax|Switch between windows");
         EXPECT_TRUE(d.showsNoDialog());
         d.click(1, 1);  // Tools: "Alpha" (y.lnk) comes before "x"
         HWND menu = d.waitFor("#32768");
         Sleep(200);
         for (WPARAM key : {VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
         EXPECT_TRUE(d.launched({" y"})) << "the first item did not open once";
         ASSERT_TRUE(d.close());
         d.start("/FOLDER:$D\\ql\\User Pinned\\TaskBar");
         EXPECT_EQ(waitForTips(1), "File Explorer");
     }},
    // Shortcuts as Windows writes them (see scripts/shortcut-fixtures.py), and copies cut short
    // or with bytes flipped: one icon each, named by its comment where that is still read, else
    // by its file name; no message.
    {"ShortcutsAsWindowsWritesThemAndDamagedCopiesGetOneIconEach",
     [](Driver& d) {
         copyData(d, "shortcuts", "ql");
         std::vector<std::tuple<std::string, std::string, std::string>> named;  // name, tips
                                                                                // clang-format off
         for (const auto& [name, comment] : std::map<std::string, std::string>{
                  {"Console", "Command Prompt"}, {"Item", "Item"}, {"Legacy", "Caf\xC3\xA9 cr\xC3\xA8me"},
                  {"Odd", "Odd one"}, {"Setup", "Office setup"}}) {
             // clang-format on
             std::ifstream in(d.path("$D\\ql\\" + name + ".lnk"), std::ios::binary);
             const std::string link{std::istreambuf_iterator<char>(in), {}};
             named.emplace_back(name, comment, comment);
             for (const auto& [copy, size] : {std::pair{" cut 76", std::size_t{76}},
                                              {" cut half", link.size() / 2},
                                              {" flipped", link.size()}}) {
                 std::string damaged = link.substr(0, size);
                 for (std::size_t at = 76; size == link.size() && at < size; at += 7)
                     damaged[at] = char(~damaged[at]);
                 d.write("ql\\" + name + copy + ".lnk", damaged);
                 named.emplace_back(name + copy, name + copy, comment);
             }
         }
         d.start("/FOLDER:$D\\ql");
         std::istringstream tips(waitForTips(20));
         EXPECT_TRUE(d.showsNoDialog());
         for (std::string tip; const auto& [name, one, other] : named) {
             std::getline(tips, tip, '|');
             EXPECT_TRUE(tip == one || tip == other) << name << ": " << tip;
         }
     }},
    {"AnEditedBatchFileMovesTheTrayAndIsNotReadAsEmptyWhileRenamed",
     [](Driver& d) {
         d.startLane(2);
         d.writeLines("lane.tmp", {"$D\\lane1.exe,Lane 1,$D\\own1.ico", "$D\\lane2.exe,Two",
                                   "$D\\marker.exe,Lane 3,$D\\own3.ico"});
         DeleteFileA(d.path("$D\\lane.txt").c_str()), Sleep(600);
         MoveFileA(d.path("$D\\lane.tmp").c_str(), d.path("$D\\lane.txt").c_str());
         EXPECT_EQ(waitForTips(3), "Lane 1|Two|Lane 3");
         EXPECT_TRUE(d.shows(0, true) && d.shows(2, true));
         EXPECT_EQ(d.spy.calls(NIM_DELETE).size(), 0u) << "read as empty while it was away";
         EXPECT_EQ(d.spy.calls(NIM_MODIFY).size(), 1u);
     }},
    // Saved in place, as Notepad saves: a line mended works in every way, a line broken loses its
    // icon, each reported once; a tooltip of 64 characters or more shows its first 64.
    {"ABatchFileSavedInPlaceEndsWhereAFreshStartWould",
     [](Driver& d) {
         CopyFileA(d.path("$D\\marker.exe").c_str(), d.path("$D\\two.exe").c_str(), 0);
         const std::string one = "$D\\marker.exe,One", tip(70, 't');
         d.writeLines("lane.txt", {one, "$D\\two.exe,Two,1e10"});
         d.start(kBatch);
         expectBox(d, "Iconlane", kError + "6 occurred in ParseLine while parsing '$D\\two", kCheck,
                   false);
         EXPECT_EQ(waitForTips(1), "One");
         d.writeLines("lane.txt", {one, "$D\\two.exe," + tip});
         EXPECT_EQ(waitForTips(2), "One|" + tip.substr(0, 64));
         d.choose(1, kLaunch);
         EXPECT_TRUE(d.launched({"two.exe"})) << "the mended line's target did not open once";
         d.writeLines("lane.txt", {one, "$D\\three.exe,Three,1e10"});
         expectBox(d, "Iconlane", kError + "6 occurred in ParseLine while parsing '$D\\three",
                   kCheck, false);
         EXPECT_EQ(waitForTips(1), "One");
         EXPECT_TRUE(d.showsNoDialog());
     }},
    // A start from the Startup folder and one by hand: the second (the path in other letters) adds
    // no icon and ends; the first reads its list again, and so shows a change of its target that
    // the watch of the list's folder does not see. Another list runs beside it, silently without
    // the hot key of the options both read, which the first holds; once the first has ended, its
    // list starts as usual.
    {"ASecondStartOfTheSameListHandsItOverAndAnotherListRunsBesideItWithoutTheHotKey",
     [](Driver& d) {
         std::filesystem::create_directory(d.path("$D\\pictures"));
         const auto copy = [&](const char* from, const char* to) {  // written now, not copied
             std::ifstream in(d.path(from), std::ios::binary);
             d.write(to, std::string(std::istreambuf_iterator<char>(in), {}));
         };
         copy("$D\\own1.ico", "pictures\\own.ico");
         d.writeLines("lane.txt", {"$D\\pictures\\own.ico,Picture"});
         d.writeLines("other.txt", {"$D\\marker.exe,Other"});
         d.writeLines("Iconlane.ini", {"HOTKEY=Ctrl+Alt+Q"});
         d.start(kBatch);
         ASSERT_EQ(waitForTips(1), "Picture");
         copy("$D\\own2.ico", "pictures\\own.ico");
         ASSERT_TRUE(holdsFor([&] { return d.spy.calls(NIM_MODIFY).empty(); }, 1500ms))
             << "the change is seen without a second start";
         std::string sameList = d.path("/batch:$D\\lane.txt");
         CharUpperA(sameList.data());
         EXPECT_EQ(Driver::close(d.run("\"$D\\iconlane.exe\" " + sameList, {}), 5000), 0u);
         EXPECT_TRUE(pollUntil([&] { return !d.spy.calls(NIM_MODIFY).empty(); }, 5s))
             << "the list is not read again";
         EXPECT_EQ(waitForTips(1), "Picture");
         EXPECT_EQ(d.spy.calls(NIM_ADD).size(), 1u) << "an icon added twice";
         const Colours now = coloursIn(d.place(0), kOwnColours[1]);
         EXPECT_TRUE(now.own * 2 >= now.all) << "not the new picture";
         PROCESS_INFORMATION other = d.run("\"$D\\iconlane.exe\" /BATCH:$D\\other.txt", {});
         EXPECT_EQ(waitForTips(2), "Picture|Other");
         EXPECT_TRUE(
             d.showsNoDialog() &&
             holdsFor([&] { return windowsOf(other.dwProcessId, "#32770").empty(); }, 700ms))
             << "a message";
         EXPECT_FALSE(chordFree()) << "not held";
         ASSERT_TRUE(d.close());
         EXPECT_TRUE(chordFree()) << "the other holds the chord too";
         EXPECT_EQ(Driver::close(other), 0u);
         d.start(sameList);
         EXPECT_EQ(waitForTips(1), "Picture");
     }},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Lane, Scenario, ::testing::ValuesIn(kRows), rowName);

}  // namespace e2e
