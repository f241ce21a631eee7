// Leak soak: 30 icons blink for thousands of ticks while "Exit Iconlane?" waits, and the program's
// memory and handles must not grow with the ticks. Every tick swaps each icon's picture, so an
// icon picture leaked per tick (about 8 KB of private bytes) adds up to megabytes here.
//
// This drives a copy of the program built with a short blink interval (see CMakeLists.txt); the
// shipping iconlane.exe keeps its 800 ms.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "iconlane_fixture.h"
#include "mouse_and_menu.h"
#include "screen_pixels.h"
#include "window_search.h"

namespace e2e {
namespace {

constexpr std::size_t kEntries = 30;
constexpr unsigned kBlinkMs = ICONLANE_SOAK_BLINK_INTERVAL_MS;
constexpr unsigned kTicks = 2000;
constexpr auto kWarmUp = 2s;
constexpr auto kSoak = std::chrono::milliseconds(kTicks * kBlinkMs + 1000);
constexpr int kExitDowns = 4;  // Launch!, Cancel Menu, Help..., Exit Iconlane
// Heap and tray traffic wobble by some pages; a picture leaked per tick would cost ~16 MB.
constexpr std::int64_t kPrivateBytesAllowance = 2 * 1024 * 1024;
constexpr std::int64_t kHandleAllowance = 16;
constexpr std::int64_t kGuiObjectAllowance = 32;

struct Usage {
    std::int64_t privateBytes = 0;
    std::int64_t handles = 0;
    std::int64_t gdiObjects = 0;
    std::int64_t userObjects = 0;
};

Usage usageOf(HANDLE process) {
    Usage usage;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        // Under Wine PrivateUsage reads 0 and PagefileUsage carries the private bytes.
        usage.privateBytes = static_cast<std::int64_t>(
            counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage);
    }
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles)) usage.handles = handles;
    usage.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    usage.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    return usage;
}

void print(const char* when, const Usage& usage) {
    std::cout << "soak " << when << ": private bytes " << usage.privateBytes << ", handles "
              << usage.handles << ", GDI objects " << usage.gdiObjects << ", USER objects "
              << usage.userObjects << std::endl;
}

class Soak : public IconlaneTest {
protected:
    // The program's shown question dialogs: #32770 windows with a No button.
    std::vector<HWND> questions() {
        return topLevelWindowsWhere([&](HWND window) {
            return processOf(window) == program().id() && classNameOf(window) == "#32770" &&
                   IsWindowVisible(window) && GetDlgItem(window, IDNO) != nullptr;
        });
    }

    RECT firstIconArea() const {
        const std::vector<TrayIcon> icons = tray().icons();
        RECT area = icons.empty() ? RECT{} : icons.front().slot;
        MapWindowPoints(FindWindowA("Shell_TrayWnd", nullptr), nullptr,
                        reinterpret_cast<POINT*>(&area), 2);
        return area;
    }

    // Chooses "Exit Iconlane" in the first icon's menu and returns the question it brings.
    HWND askToExit() {
        const RECT area = firstIconArea();
        clickAt({(area.left + area.right) / 2, (area.top + area.bottom) / 2}, Click::Right);
        HWND menu = waitForPopupMenu(program().id());
        if (menu == nullptr) return nullptr;
        moveMouseAway();
        if (!pollUntil([&] { return greyedMenuItems(menu).size() == 4; })) return nullptr;
        chooseMenuItem(menu, kExitDowns);
        std::vector<HWND> shown;
        pollUntil([&] { return !(shown = questions()).empty(); });
        return shown.empty() ? nullptr : shown.front();
    }

    static bool press(HWND dialog, int id) {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000,
                                   &ignored) != 0;
    }

    struct Watch {
        std::size_t samples = 0;
        std::size_t changes = 0;  // samples that differ from the one before
    };

    // Watches the first icon for `duration` and counts how often its picture changed between two
    // screen samples: a lower bound of the blink ticks, since reading the screen under Wine takes
    // far longer than one tick.
    Watch watchPictureChanges(std::chrono::milliseconds duration) const {
        const RECT area = firstIconArea();
        Watch watch;
        std::vector<std::uint32_t> last;
        const auto end = Clock::now() + duration;
        while (Clock::now() < end) {
            const ScreenImage image = captureScreen(area);
            std::vector<std::uint32_t> now;
            for (const RGBQUAD& p : image.pixels) {
                now.push_back(RGB(p.rgbRed, p.rgbGreen, p.rgbBlue));
            }
            ++watch.samples;
            if (!last.empty() && now != last) ++watch.changes;
            last = std::move(now);
            Sleep(kBlinkMs / 2);
        }
        return watch;
    }
};

TEST_F(Soak, ThirtyBlinkingIconsKeepMemoryAndHandlesSteady) {
    std::vector<std::string> lines;
    for (std::size_t n = 1; n <= kEntries; ++n) {
        lines.push_back("C:\\windows\\notepad.exe,Soak " + std::to_string(n) + ",");
    }
    scenario().writeLines("soak.txt", lines);
    start("/BATCH:" + scenario().pathOf("soak.txt"));
    ASSERT_EQ(tray().waitForIcons(kEntries, "Soak ").size(), kEntries);

    UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program().id()));
    ASSERT_TRUE(process) << "cannot open the program's process: " << GetLastError();

    print("with the icons shown, before blinking", usageOf(process.get()));
    HWND question = askToExit();
    ASSERT_NE(question, nullptr) << "no question after \"Exit Iconlane\"";
    EXPECT_GT(watchPictureChanges(kWarmUp).changes, 0u) << "the icons do not blink";
    const Usage before = usageOf(process.get());
    print("start (after warm-up)", before);

    const Watch soak = watchPictureChanges(kSoak);
    const Usage after = usageOf(process.get());
    print("end", after);
    std::cout << "soak: " << kEntries << " icons blinking every " << kBlinkMs << " ms for "
              << kSoak.count() << " ms (about " << kSoak.count() / kBlinkMs
              << " ticks each); the first icon changed between " << soak.changes << " of "
              << soak.samples << " screen samples, so at least " << soak.changes * kEntries
              << " picture swaps over all icons" << std::endl;
    if (after.handles == 0) {
        std::cout << "soak: GetProcessHandleCount reads 0 under Wine: handles are not measured "
                     "here"
                  << std::endl;
    }
    if (after.gdiObjects == 0 && after.userObjects == 0) {
        std::cout << "soak: GetGuiResources reads 0 under Wine: GDI/USER objects are not "
                     "measured here"
                  << std::endl;
    }
    // Enough picture swaps happened for a leak to show: every entry window ticks alike, so the
    // first icon's seen changes times the entries is a lower bound of the swaps of all icons.
    EXPECT_GE(soak.changes * kEntries, kTicks) << "too few blink ticks during the soak";
    EXPECT_GT(before.privateBytes, 0) << "GetProcessMemoryInfo gave no private bytes";
    EXPECT_LE(after.privateBytes - before.privateBytes, kPrivateBytesAllowance);
    EXPECT_LE(after.handles - before.handles, kHandleAllowance);
    EXPECT_LE(after.gdiObjects - before.gdiObjects, kGuiObjectAllowance);
    EXPECT_LE(after.userObjects - before.userObjects, kGuiObjectAllowance);

    // No keeps the program and its icons.
    ASSERT_TRUE(press(question, IDNO));
    ASSERT_TRUE(pollUntil([&] { return questions().empty(); })) << "the question stays";
    EXPECT_TRUE(program().running());
    EXPECT_EQ(tray().waitForIcons(kEntries, "Soak ").size(), kEntries);

    // Exit, Yes: every icon goes and the program ends.
    question = askToExit();
    ASSERT_NE(question, nullptr) << "no question after the second \"Exit Iconlane\"";
    press(question, IDYES);  // the program ends before it answers the click
    EXPECT_EQ(tray().waitForIcons(0, "Soak "), Tips{});
    EXPECT_TRUE(waitForExit()) << "the program still runs after Yes";
}

}  // namespace
}  // namespace e2e
