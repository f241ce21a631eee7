// The pop-up menus on the real Windows API under Wine: folders filled as they open, the shell's
// menu of an item, and one menu at a time. A second thread drives each open menu as a person
// would, with posted keys or real mouse input.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "menudriver.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/windowsystem.h"
#include "scratch.h"

namespace iconlane::win32 {
namespace {

namespace fs = std::filesystem;
using Kind = MenuEntry::Kind;

// Lets this thread's windows handle what was posted to them meanwhile (a sheet asked to close).
void Pump(DWORD ms) {
    for (ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(10))
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageW(&message);
}

// Each opening reads the folder again: closed with Left and opened again, then one level down.
// While the menu is open no other opens (one is asked for as each folder is read); it goes on.
// A hot key held before any icon made the tray window leaves the menus working.
TEST(MenusTest, AFolderIsReadEachTimeItOpensAtAnyDepthAndNoOtherMenuOpensMeanwhile) {
    Win32WindowSystem windows;
    windows.HoldHotKey({kHotKeyControl | kHotKeyShift | kHotKeyAlt, kHotKeyF1 + 13}, [] {});
    MenuRequest request, other;
    request.items = {Entry(Kind::kCommand, "&Top", "", 1), Entry(Kind::kFolder, "&Tools", "T")};
    other.items = {Entry(Kind::kCommand, "&Other", "", 9)};
    std::vector<std::string> read;
    request.folderItems = [&](const std::string& folder) {
        read.push_back(folder + (windows.ShowMenu(other).shown ? " under another menu" : ""));
        return std::vector{folder == "T" ? Entry(Kind::kFolder, "&Deep", "T\\D")
                                         : Entry(Kind::kFile, "&Editor", "T\\D\\Editor.lnk")};
    };
    MenuChoice choice = ShowDriven(windows, request, [] {
        PostKeys(WaitForMenus(1),
                 {VK_DOWN, VK_DOWN, VK_RIGHT, VK_LEFT, VK_RIGHT, VK_RIGHT, VK_RETURN});
    });
    EXPECT_TRUE(choice.shown);
    EXPECT_EQ(choice.path, "T\\D\\Editor.lnk");
    EXPECT_EQ(read, (std::vector<std::string>{"T", "T", "T\\D"}));
}

// Opened from the keyboard the first item is highlighted; the keys held as Enter chooses come
// back with the choice.
TEST(MenusTest, TheKeysHeldAtTheChoiceComeBackWithIt) {
    const std::pair<std::vector<WORD>, HeldKeys> rows[] = {{{}, {false, false}},
                                                           {{VK_CONTROL}, {true, false}},
                                                           {{VK_CONTROL, VK_SHIFT}, {true, true}}};
    for (const auto& [held, expected] : rows) {
        Win32WindowSystem windows;
        MenuRequest request;
        request.items = {Entry(Kind::kCommand, "&First", "", 1),
                         Entry(Kind::kCommand, "&Second", "", 2)};
        request.selectFirst = true;
        MenuChoice choice = ShowDriven(windows, request, [&] {
            WaitForMenus(1);
            Sleep(100);
            for (WORD key : held) Send({Key(key)});
            Send({Key(VK_RETURN), Key(VK_RETURN, true)});
            for (WORD key : held) Send({Key(key, true)});
        });
        EXPECT_EQ(std::tuple(choice.command, choice.keys.control, choice.keys.shift),
                  std::tuple(1, expected.control, expected.shift))
            << held.size() << " keys held";
    }
}

// Closed without a choice, the menu gives the foreground back to the window that had it, when
// asked to: a keyboard user keeps their place.
TEST(MenusTest, AMenuClosedWithoutAChoiceGivesTheForegroundBackWhenAsked) {
    UniqueWindow before(CreateWindowExW(0, L"STATIC", L"Before", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr));
    for (bool restore : {true, false}) {
        Win32WindowSystem windows;
        SetForegroundWindow(before.Get());
        Pump(100);
        MenuRequest request;
        request.items = {Entry(Kind::kCommand, "&Go", "", 1)};
        request.restoreFocus = restore;
        ShowDriven(windows, request, [] { PostKeys(WaitForMenus(1), {VK_ESCAPE}); });
        EXPECT_EQ(GetForegroundWindow() == before.Get(), restore) << restore;
    }
}

// The shell's menu of a file, opened over the menu by the keys (the menu key, Shift+F10; a right
// click is the end-to-end row's) or as a sub-menu, and a verb chosen from it by its access key,
// or (none) as the last item with Ctrl+Enter while the menu below keeps its own highlight.
// Rename is the program's own box; the others are the shell's. The choice says that the shell ran
// one, so that the focus stays with what it opened.
TEST(MenusTest, TheShellsMenuOfAFileRunsItsVerbs) {
    // A handle freed and taken again comes back higher each time: the shell's menu gets one above
    // the menu below it, which a walk in handle order would meet first.
    const auto menuKey = [](HWND menu) {
        for (int n = 0; n < 1000; ++n) DestroyMenu(CreatePopupMenu());
        PostKeys(menu, {VK_DOWN, VK_APPS});
    };
    const auto shiftF10 = [](HWND menu) {
        PostKeys(menu, {VK_DOWN});
        Send({Key(VK_SHIFT), Key(VK_F10), Key(VK_F10, true), Key(VK_SHIFT, true)});
    };
    const auto subMenu = [](HWND menu) { PostKeys(menu, {VK_DOWN, VK_RIGHT}); };
    const auto properties = [](const fs::path&) {
        HWND sheet = WaitForWindow(nullptr, L"Properties for notes.txt");
        PostMessageW(sheet, WM_CLOSE, 0, 0);
        return sheet != nullptr;
    };
    const auto deleted = [](const fs::path& file) {
        PostMessageW(WaitForWindow(L"#32770"), WM_COMMAND, IDYES, 0);
        return PollUntil([&] { return !fs::exists(file); });
    };
    const auto renamed = [](const fs::path& file) {
        HWND box = WaitForWindow(L"#32770", L"Rename");
        SetDlgItemTextW(box, 100, L"renamed.txt");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return PollUntil([&] { return fs::exists(file.parent_path() / "renamed.txt"); });
    };
    // The row, the item, how its shell menu opens, the verb's key, what the verb has done
    const std::tuple<const char*, Kind, std::function<void(HWND)>, wchar_t,
                     std::function<bool(const fs::path&)>>
        rows[] = {{"menu key, Rename", Kind::kFile, menuKey, L'r', renamed},
                  {"Shift+F10, Delete", Kind::kFile, shiftF10, L'd', deleted},
                  {"sub-menu, Properties", Kind::kShellMenu, subMenu, L'p', properties},
                  {"menu key, Properties by Ctrl+Enter", Kind::kFile, menuKey, 0, properties}};
    for (const auto& [name, kind, open, key, verbDone] : rows) {
        ScratchFolder folder;
        const fs::path file = folder.File("notes.txt");
        Win32WindowSystem windows;
        MenuRequest request;
        request.items = {Entry(kind, "&Notes", file.string())};
        bool done = false;
        MenuChoice choice = ShowDriven(windows, request, [&] {
            open(WaitForMenus(1));
            HWND shellMenu = WaitForMenus(2);
            if (key) PostMessageW(shellMenu, WM_CHAR, key, 0);
            if (!key) PostKeys(shellMenu, {VK_UP}), Send({Key(VK_CONTROL), Key(VK_RETURN)});
            if (!key) Send({Key(VK_RETURN, true), Key(VK_CONTROL, true)});
            done = verbDone(file);
        });
        Pump(300);
        EXPECT_TRUE(done) << name;
        EXPECT_TRUE(choice.shown && choice.shellItem && choice.path.empty() && !choice.command)
            << name;
    }
}

}  // namespace
}  // namespace iconlane::win32
