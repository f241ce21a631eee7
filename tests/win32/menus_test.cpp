// The pop-up menus on the real Windows API under Wine: their pictures and the cache behind them,
// folders filled as they open, the shell's menu of an item, and one menu at a time. A second
// thread drives each open menu as a person would, with posted keys or real mouse input.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/win32/handles.h"
#include "platform/win32/menubitmap.h"
#include "platform/win32/menupictures.h"
#include "platform/win32/traywindow.h"
#include "scratch.h"

namespace iconlane::win32 {
namespace {

namespace fs = std::filesystem;
using Kind = MenuEntry::Kind;

template <class Done>
bool PollUntil(Done done, DWORD timeoutMs = 5000) {
    for (ULONGLONG end = GetTickCount64() + timeoutMs; !done(); Sleep(10)) {
        if (GetTickCount64() > end) return false;
    }
    return true;
}

// The visible windows of a class in this process, the frontmost first.
std::vector<HWND> Windows(const wchar_t* windowClass, const wchar_t* title = nullptr) {
    std::vector<HWND> found;
    DWORD process = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, windowClass, title));) {
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}

HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title = nullptr, size_t count = 1) {
    std::vector<HWND> found;
    PollUntil([&] { return (found = Windows(windowClass, title)).size() >= count; });
    return found.size() >= count ? found.front() : nullptr;
}

HWND WaitForMenus(size_t count) {
    return WaitForWindow(L"#32768", nullptr, count);
}

HMENU MenuOf(HWND window) {
    return reinterpret_cast<HMENU>(SendMessageW(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
}

void PostKeys(HWND menu, std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) PostMessageW(menu, WM_KEYDOWN, key, 0);
}

void Send(std::initializer_list<INPUT> inputs) {
    for (INPUT input : inputs) SendInput(1, &input, sizeof input), Sleep(30);
}

INPUT Key(WORD key, bool up = false) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki = {key, 0, DWORD(up ? KEYEVENTF_KEYUP : 0), 0, 0};
    return input;
}

// Shows a menu while `drive` works it from another thread; menus still open a while after it
// are closed, so that a failed row never hangs the suite.
MenuChoice ShowDriven(Win32WindowSystem& windows, const MenuRequest& request,
                      const std::function<void()>& drive) {
    std::thread driver([&] {
        drive();
        if (PollUntil([] { return Windows(L"#32768").empty(); }, 2000)) return;
        for (HWND menu : Windows(L"#32768")) PostKeys(menu, {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
    });
    MenuChoice choice = windows.ShowMenu(request);
    driver.join();
    return choice;
}

MenuEntry Entry(Kind kind, const std::string& caption, const std::string& path = {},
                int command = 0) {
    MenuEntry entry;
    entry.kind = kind, entry.caption = caption, entry.path = path, entry.command = command;
    return entry;
}

// A 16-pixel icon whose first row starts with the given colour pixels and mask bits.
HICON MakeIcon(std::initializer_list<std::uint32_t> pixels, std::initializer_list<int> maskBits) {
    std::uint32_t colour[16 * 16] = {};
    std::copy(pixels.begin(), pixels.end(), colour);
    BYTE mask[16 * 2] = {};
    int bit = 0;
    for (int set : maskBits) mask[bit / 8] |= BYTE(set << (7 - bit % 8)), ++bit;
    BITMAPINFO header{};
    header.bmiHeader = {sizeof header.bmiHeader, 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap image(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::memcpy(bits, colour, sizeof colour);
    UniqueBitmap cut(CreateBitmap(16, 16, 1, 1, mask));
    ICONINFO parts{TRUE, 0, 0, cut.Get(), image.Get()};
    return CreateIconIndirect(&parts);
}

// Premultiplied where the icon has an alpha channel, the mask as alpha where it has none. Wine's
// menus copy a picture without blending it, so there it is laid on the menu's colour.
TEST(MenuBitmapTest, IconsBecomePremultipliedTopDownPictures) {
    struct Row {
        const char* name;
        std::initializer_list<std::uint32_t> pixels;
        std::initializer_list<int> mask;
        std::vector<std::uint32_t> expected;
        bool forWinesMenus = false;
    };
    const COLORREF menu = GetSysColor(COLOR_MENU);
    const std::uint32_t underneath =
        0xFF000000 | GetRValue(menu) << 16 | GetGValue(menu) << 8 | GetBValue(menu);
    const Row rows[] = {
        {"alpha", {0x80FF0000, 0x00FFFFFF, 0xFF00FF00}, {0, 0, 0}, {0x80800000, 0, 0xFF00FF00}},
        {"mask only", {0x00FF0000, 0x00FFFFFF, 0x0000FF00}, {0, 1, 0}, {0xFFFF0000, 0, 0xFF00FF00}},
        {"on Wine's menu", {0x00FFFFFF, 0xFF00FF00}, {0, 0}, {underneath, 0xFF00FF00}, true},
    };
    for (const Row& row : rows) {
        UniqueIcon icon(MakeIcon(row.pixels, row.mask));
        UniqueBitmap picture = MenuBitmapOf(icon.Get(), 16);
        if (row.forWinesMenus) picture = ForMenus(std::move(picture));
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(picture.Get(), sizeof dib, &dib), int(sizeof dib)) << row.name;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 32) << row.name;
        auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
        for (size_t n = 0; n < row.expected.size(); ++n) {
            EXPECT_EQ(bits[n], row.expected[n]) << row.name << " pixel " << n;
        }
    }
}

// Extracted once per file and size, again once the file is written; while an extraction runs,
// asking again adds no second request.
TEST(MenuPictureCacheTest, EachFileIsExtractedOncePerSizeUntilItIsWritten) {
    ScratchFolder folder;
    const std::string a = folder.File("a.txt"), b = folder.File("b.txt");
    std::atomic<int> calls = 0;
    UniqueFile gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    MenuPictureCache cache([&calls, open = gate.Get()](const std::string&, int) {
        ++calls;
        WaitForSingleObject(open, 5000);
        return MakeIcon({0xFF0000FF}, {0});
    });
    struct Row {
        const char* name;
        std::string path;
        int pixels;
        bool extracted;
    };
    const Row rows[] = {{"first", a, 16, true},        {"again", a, 16, false},
                        {"another size", a, 24, true}, {"another file", b, 16, true},
                        {"written", a, 16, true},      {"written, again", a, 16, false}};
    int expected = 0;
    for (const Row& row : rows) {
        if (std::string(row.name) == "written") folder.File("a.txt", "written since");
        ResetEvent(gate.Get());
        for (int asked = 0; asked < 2 && row.extracted; ++asked) {
            EXPECT_EQ(cache.Find(row.path, row.pixels).state, MenuPictureCache::State::kComing)
                << row.name;
            EXPECT_EQ(cache.Outstanding(), 1u) << row.name;
        }
        SetEvent(gate.Get());
        ASSERT_TRUE(PollUntil([&] { return cache.Outstanding() == 0; })) << row.name;
        MenuPictureCache::Found found = cache.Find(row.path, row.pixels);
        EXPECT_EQ(found.state, MenuPictureCache::State::kReady) << row.name;
        EXPECT_NE(found.picture, nullptr) << row.name;
        EXPECT_EQ(calls, expected += row.extracted) << row.name;
    }
}

// Lets this thread's windows handle what was posted to them meanwhile (a sheet asked to close).
void Pump(DWORD ms) {
    for (ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(10)) {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageW(&message);
        }
    }
}

HBITMAP ItemPicture(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.hbmpItem;
}

// Each opening reads the folder again: closed with Left and opened again, then one level down.
// While the menu is open no other opens (one is asked for as each folder is read); it goes on.
TEST(MenusTest, AFolderIsReadEachTimeItOpensAtAnyDepthAndNoOtherMenuOpensMeanwhile) {
    Win32WindowSystem windows;
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

// The menu opens at once with a placeholder; the picture replaces it in the open menu.
TEST(MenusTest, AnItemShowsAPlaceholderUntilItsPictureComes) {
    ScratchFolder folder;
    UniqueFile gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Win32WindowSystem windows;
    windows.SetMenuPictureFinder([open = gate.Get()](const std::string&, int) {
        WaitForSingleObject(open, 5000);
        return MakeIcon({0xFF0000FF}, {0});
    });
    MenuRequest request;
    request.items = {Entry(Kind::kFile, "&Notes", folder.File("notes.txt"))};
    request.items[0].picture.path = request.items[0].path;
    HBITMAP waiting = nullptr, came = nullptr;
    ShowDriven(windows, request, [&] {
        HMENU menu = MenuOf(WaitForMenus(1));
        waiting = ItemPicture(menu, 0);
        SetEvent(gate.Get());
        PollUntil([&] { return (came = ItemPicture(menu, 0)) != waiting; });
        PostKeys(WaitForMenus(1), {VK_ESCAPE});
    });
    EXPECT_TRUE(waiting != nullptr && came != nullptr && came != waiting);
    EXPECT_EQ(windows.MenuPicturesOutstanding(), 0u);
}

// A hot key held before any icon made the tray window leaves the menus working.
TEST(MenusTest, AMenuOpensWhenTheHotKeyWasHeldFirst) {
    Win32WindowSystem windows;
    windows.HoldHotKey({kHotKeyControl | kHotKeyShift | kHotKeyAlt, kHotKeyF1 + 13}, [] {});
    MenuRequest request;
    request.items = {Entry(Kind::kCommand, "&Go", "", 1)};
    MenuChoice choice = ShowDriven(windows, request, [] {
        PostKeys(WaitForMenus(1), {VK_DOWN, VK_RETURN});
    });
    EXPECT_TRUE(choice.shown && choice.command == 1);
}

// Opened from the keyboard the first item is highlighted; the keys held as Enter chooses come
// back with the choice.
TEST(MenusTest, TheKeysHeldAtTheChoiceComeBackWithIt) {
    const std::pair<std::vector<WORD>, HeldKeys> rows[] = {
        {{}, {false, false}},
        {{VK_CONTROL}, {true, false}},
        {{VK_CONTROL, VK_SHIFT}, {true, true}},
    };
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
        EXPECT_EQ(choice.command, 1) << held.size() << " keys held";
        EXPECT_EQ(choice.keys.control, expected.control) << held.size() << " keys held";
        EXPECT_EQ(choice.keys.shift, expected.shift) << held.size() << " keys held";
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
    struct Row {
        const char* name;
        Kind kind;
        std::function<void(HWND)> open;
        wchar_t key;
        std::function<bool(const fs::path&)> done;
    };
    const Row rows[] = {
        {"menu key, Rename", Kind::kFile, menuKey, L'r', renamed},
        {"Shift+F10, Delete", Kind::kFile, shiftF10, L'd', deleted},
        {"sub-menu, Properties", Kind::kShellMenu, subMenu, L'p', properties},
        {"menu key, Properties by Ctrl+Enter", Kind::kFile, menuKey, 0, properties},
    };
    for (const Row& row : rows) {
        ScratchFolder folder;
        const fs::path file = folder.File("notes.txt");
        Win32WindowSystem windows;
        MenuRequest request;
        request.items = {Entry(row.kind, "&Notes", file.string())};
        bool done = false;
        MenuChoice choice = ShowDriven(windows, request, [&] {
            row.open(WaitForMenus(1));
            HWND shellMenu = WaitForMenus(2);
            if (row.key) PostMessageW(shellMenu, WM_CHAR, row.key, 0);
            if (!row.key) PostKeys(shellMenu, {VK_UP}), Send({Key(VK_CONTROL), Key(VK_RETURN)});
            if (!row.key) Send({Key(VK_RETURN, true), Key(VK_CONTROL, true)});
            done = row.done(file);
        });
        Pump(300);
        EXPECT_TRUE(done) << row.name;
        EXPECT_TRUE(choice.shown && choice.shellItem && choice.path.empty() && !choice.command)
            << row.name;
    }
}

}  // namespace
}  // namespace iconlane::win32
