// The pictures of menu items on the real Windows API under Wine: icons made into menu bitmaps,
// the cache behind them and its workers, and pictures coming into an open menu.
#include "platform/win32/menus/menupictures.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "menudriver.h"
#include "platform/win32/menus/menubitmap.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/windowsystem.h"
#include "scratch.h"

namespace iconlane::win32 {
namespace {

using Kind = MenuEntry::Kind;

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
        {"on Wine's menu", {0x00FFFFFF, 0xFF00FF00}, {0, 0}, {underneath, 0xFF00FF00}, true}};
    for (const Row& row : rows) {
        UniqueIcon icon(MakeIcon(row.pixels, row.mask));
        UniqueBitmap picture = MenuBitmapOf(icon.Get(), 16);
        if (row.forWinesMenus) picture = ForMenus(std::move(picture));
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(picture.Get(), sizeof dib, &dib), int(sizeof dib)) << row.name;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 32) << row.name;
        auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
        EXPECT_EQ(std::vector(bits, bits + row.expected.size()), row.expected) << row.name;
    }
}

// Extracted once per file and size, again once its listing says it was written (the disk is not
// read: its word is the listing's); while an extraction runs, asking again adds no second request.
TEST(MenuPictureCacheTest, EachFileIsExtractedOncePerSizeUntilItIsWritten) {
    ScratchFolder folder;
    const std::string a = folder.File("a.txt"), b = folder.File("b.txt");
    std::atomic<int> calls = 0;
    UniqueFile gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    MenuPictureCache cache(
        PlainPictureSources([&calls, open = gate.Get()](const std::string&, int) {
            ++calls;
            WaitForSingleObject(open, 5000);
            return MakeIcon({0xFF0000FF}, {0});
        }));
    // The row, the file, the size asked for, its listing's stamp, whether it is extracted
    // clang-format off
    const std::tuple<const char*, std::string, int, FileStamp, bool> rows[] = {
        {"first", a, 16, {1, 1}, true}, {"again", a, 16, {1, 1}, false},
        {"another size", a, 24, {1, 1}, true}, {"another file", b, 16, {1, 1}, true},
        {"listed as before", a, 16, {1, 1}, false}, {"written", a, 16, {2, 1}, true},
        {"written, again", a, 16, {2, 1}, false}};
    // clang-format on
    int expected = 0;
    for (const auto& [name, path, pixels, listed, extracted] : rows) {
        if (std::string(name) == "listed as before") folder.File("a.txt", "written since");
        ResetEvent(gate.Get());
        for (int asked = 0; asked < 2 && extracted; ++asked) {
            EXPECT_EQ(cache.Find(path, listed, pixels).state, MenuPictureCache::State::kComing)
                << name;
            EXPECT_EQ(cache.Outstanding(), 1u) << name;
        }
        SetEvent(gate.Get());
        ASSERT_TRUE(PollUntil([&] { return cache.Outstanding() == 0; })) << name;
        MenuPictureCache::Found found = cache.Find(path, listed, pixels);
        EXPECT_TRUE(found.state == MenuPictureCache::State::kReady && found.picture) << name;
        EXPECT_EQ(calls, expected += extracted) << name;
    }
}

// One picture per file and size: of a file written 40 times only the latest is kept, each earlier
// one deleted once no menu shows it; beyond the bound the least recently used goes.
TEST(MenuPictureCacheTest, OnlyTheLatestPictureOfAFileIsKeptAndTheCacheIsBounded) {
    MenuPictureCache cache(
        PlainPictureSources([](const std::string&, int) { return MakeIcon({0xFF0000FF}, {0}); }),
        3);
    const auto made = [&](const std::string& path, std::uint64_t size) {
        cache.Find(path, FileStamp{size, 0}, 16);
        PollUntil([&] { return cache.Outstanding() == 0; });
        return cache.Find(path, FileStamp{size, 0}, 16).picture;
    };
    SharedPicture shown = made("a", 0);
    std::vector<HBITMAP> pictures{shown->Get()};
    for (std::uint64_t size = 1; size <= 40; ++size) pictures.push_back(made("a", size)->Get());
    EXPECT_NE(GetObjectType(pictures[0]), 0u) << "deleted while a menu shows it";
    shown.reset();
    const auto live = [](HBITMAP picture) { return GetObjectType(picture) != 0; };
    EXPECT_EQ(std::count_if(pictures.begin(), pictures.end(), live), 1);
    for (const char* other : {"b", "c", "d"}) made(other, 0);
    EXPECT_FALSE(live(pictures.back())) << "the least recently used is kept";
    EXPECT_EQ(cache.Find("a", FileStamp{40, 0}, 16).state, MenuPictureCache::State::kComing);
}

// A worker with nothing to do pumps its thread's messages: a window there (as its apartment
// makes one) answers a message sent to it, as a program's broadcast needs.
TEST(MenuPictureCacheTest, AnIdleWorkerAnswersTheMessagesOfItsThread) {
    std::atomic<HWND> window = nullptr;
    MenuPictureCache cache(PlainPictureSources([&window](const std::string&, int) {
        window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, 0, 0, 0, 0);
        return HICON{};
    }));
    cache.Find("a", std::nullopt, 16);
    ASSERT_TRUE(PollUntil([&] { return cache.Outstanding() == 0 && window.load() != nullptr; }));
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &answer), 0);
}

// The menu opens at once with a placeholder for each picture, and a picture that hangs (a share
// that does not answer) holds up no other: the next item's comes into the open menu while it
// waits. What no worker has started on when the menu closes is dropped.
TEST(MenusTest, ASlowPictureHoldsUpNoOtherAndAClosedMenusRequestsAreDropped) {
    UniqueFile gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> droppedAsked = false;
    Win32WindowSystem windows;
    windows.SetMenuPictureFinder([&, open = gate.Get()](const std::string& path, int) {
        if (path.starts_with("slow")) WaitForSingleObject(open, 10000);
        droppedAsked = droppedAsked || path == "dropped";
        return MakeIcon({0xFF0000FF}, {0});
    });
    MenuRequest request;
    for (const char* path : {"slow 0", "fast", "slow 1", "slow 2", "slow 3", "dropped"}) {
        request.items.push_back(Entry(Kind::kFile, path, path));
        request.items.back().picture.path = path;
    }
    HBITMAP waiting = nullptr;
    bool came = false;
    ShowDriven(windows, request, [&] {
        HMENU menu = MenuOf(WaitForMenus(1));
        waiting = ItemPicture(menu, 0);
        came = PollUntil([&] { return ItemPicture(menu, 1) != waiting; }, 3000);
        PostKeys(WaitForMenus(1), {VK_ESCAPE});
    });
    SetEvent(gate.Get());
    EXPECT_NE(waiting, nullptr) << "no placeholder";
    EXPECT_TRUE(came) << "the second picture waited for the first";
    EXPECT_TRUE(PollUntil([&] { return windows.MenuPicturesOutstanding() == 0; }));
    EXPECT_FALSE(droppedAsked) << "a closed menu's picture was made";
}

// A picture the shell answers late keeps the item waiting (its stand-in is never kept as the
// file's picture) until the answer comes to the worker that asked, and then shows in the menu.
TEST(MenusTest, APictureTheShellAnswersLateReplacesThePlaceholder) {
    struct Late final : MenuPictureSource, LoopWaitable {
        HANDLE answer = nullptr;
        bool answered = false;
        std::function<void(const std::string&)> arrived;
        HICON Find(const std::string&, int, bool& late) override {
            late = !answered;
            return MakeIcon({0xFF0000FF}, {0});
        }
        LoopWaitable* LateAnswers(std::function<void(const std::string&)> came) override {
            arrived = std::move(came);
            return this;
        }
        DWORD Handles(HANDLE (&handles)[kMaxLoopHandles]) const override {
            handles[0] = answer;
            return 1;
        }
        DWORD WaitTime() const override { return INFINITE; }
        void OnSignalled(HANDLE) override { answered = true, arrived("app.lnk"); }
        void OnTimeout() override {}
    };
    UniqueFile answer(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Win32WindowSystem windows;
    windows.SetMenuPictureSources([event = answer.Get()] {
        auto late = std::make_unique<Late>();
        late->answer = event;
        return late;
    });
    MenuRequest request;
    request.items = {Entry(Kind::kFile, "&App", "app.lnk")};
    request.items[0].picture.path = "app.lnk";
    HBITMAP waiting = nullptr, meanwhile = nullptr, came = nullptr;
    ShowDriven(windows, request, [&] {
        HMENU menu = MenuOf(WaitForMenus(1));
        waiting = ItemPicture(menu, 0);
        PollUntil([&] { return windows.MenuPicturesOutstanding() == 0; });
        Sleep(200);
        meanwhile = ItemPicture(menu, 0);
        SetEvent(answer.Get());
        PollUntil([&] { return (came = ItemPicture(menu, 0)) != waiting; });
        PostKeys(WaitForMenus(1), {VK_ESCAPE});
    });
    EXPECT_EQ(meanwhile, waiting) << "the stand-in was shown";
    EXPECT_TRUE(came != nullptr && came != waiting) << "the late answer was not shown";
}

}  // namespace
}  // namespace iconlane::win32
