// The one hidden tray window, its slots with their pop-up menus and timers, and the message loop
// on the real Windows API.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/traywindow.h"

namespace iconlane::win32 {
namespace {

HWND AsWindow(std::uintptr_t handle) {
    return reinterpret_cast<HWND>(handle);
}

// Counts OnUnload calls and notes whether the window still existed at the last one.
class RecordingEvents final : public TraySlotEvents {
public:
    explicit RecordingEvents(std::vector<int>* order = nullptr, int id = 0)
        : order(order), id(id) {}
    void OnTrayMessage(int mouseMessage) override {
        trayMessages.push_back(mouseMessage);
        if (then) then();
    }
    void OnTimer() override {
        ++ticks;
        if (then) then();
    }
    void OnRetryTimer() override {
        ++retries;
        if (then) then();
    }
    void OnTaskbarCreated() override {
        ++taskbarsCreated;
        if (order) order->push_back(id);
    }
    void OnUnload() override {
        ++unloads;
        if (order) order->push_back(-id);
        windowAliveAtUnload = window != nullptr && IsWindow(window);
        if (then) then();
    }

    std::vector<int>* order;  // ids of the slots that heard of a new task bar, minus when unloaded
    int id;
    HWND window = nullptr;
    std::vector<int> trayMessages;
    int ticks = 0;
    int retries = 0;
    int taskbarsCreated = 0;
    int unloads = 0;
    bool windowAliveAtUnload = false;
    std::function<void()> then;
};

TEST(Win32WindowSystemTest, SlotsShareOneHiddenTopLevelWindowAndKeepTheirIds) {
    Win32WindowSystem windows;
    RecordingEvents first, second;
    auto one = windows.CreateTraySlot(1, {"Open", "Exit"}, first);
    auto two = windows.CreateTraySlot(2, {"Open", "Exit"}, second);
    HWND handle = AsWindow(one->Window());
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_EQ(two->Window(), one->Window());
    EXPECT_EQ(std::pair(one->Id(), two->Id()), std::pair(1u, 2u));
    EXPECT_FALSE(IsWindowVisible(handle));
    EXPECT_EQ(GetAncestor(handle, GA_PARENT), GetDesktopWindow());
    char text[64] = {};
    GetClassNameA(handle, text, sizeof text);
    EXPECT_STREQ(text, "IconlaneTray");
    GetWindowTextA(handle, text, sizeof text);
    EXPECT_STREQ(text, "Iconlane");
    RecordingEvents again;
    EXPECT_THROW(windows.CreateTraySlot(2, {"Exit"}, again), RuntimeError) << "an id taken twice";
    EXPECT_EQ(first.unloads + second.unloads, 0);
}

TEST(Win32WindowSystemTest, MenuItemsKeepTheirEnabledState) {
    Win32WindowSystem windows;
    RecordingEvents events;
    auto window = windows.CreateTraySlot(1, {"Open", "-", "Exit"}, events);
    struct Step {
        int item;
        bool enable;
        bool expectedFirst, expectedThird;
    };
    const Step steps[] = {
        {1, false, false, true}, {3, false, false, false}, {1, false, false, false},
        {1, true, true, false},  {3, true, true, true},
    };
    EXPECT_TRUE(window->MenuItemEnabled(1));
    EXPECT_TRUE(window->MenuItemEnabled(3));
    EXPECT_FALSE(window->MenuItemEnabled(4));  // there is no fourth item
    for (const Step& s : steps) {
        window->SetMenuItemEnabled(s.item, s.enable);
        EXPECT_EQ(window->MenuItemEnabled(1), s.expectedFirst) << s.item << " " << s.enable;
        EXPECT_EQ(window->MenuItemEnabled(3), s.expectedThird) << s.item << " " << s.enable;
    }
}

TEST(Win32WindowSystemTest, EveryWayOfDestroyingUnloadsExactlyOnce) {
    enum class Way { kUnload, kUnloadTwice, kDestroyWindow, kDeleteObject };
    for (Way way : {Way::kUnload, Way::kUnloadTwice, Way::kDestroyWindow, Way::kDeleteObject}) {
        Win32WindowSystem windows;
        RecordingEvents events;
        auto window = windows.CreateTraySlot(1, {"Exit"}, events);
        events.window = AsWindow(window->Window());
        if (way == Way::kUnload || way == Way::kUnloadTwice) window->Unload();
        if (way == Way::kUnloadTwice) window->Unload();
        if (way == Way::kDestroyWindow) DestroyWindow(events.window);
        if (way == Way::kDeleteObject) window.reset();
        EXPECT_EQ(events.unloads, 1) << static_cast<int>(way);
        EXPECT_TRUE(events.windowAliveAtUnload) << static_cast<int>(way);
        // The window outlives its slots unless it is destroyed itself.
        EXPECT_EQ(IsWindow(events.window) == FALSE, way == Way::kDestroyWindow)
            << static_cast<int>(way);
        window.reset();  // the object ends after its window: no second unload
        EXPECT_EQ(events.unloads, 1) << static_cast<int>(way);
    }
}

bool watchdogFired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
    watchdogFired = true;
    PostQuitMessage(1);
}

TEST(Win32WindowSystemTest, MessageLoopDeliversMessagesUntilQuit) {
    Win32WindowSystem windows;
    RecordingEvents events;
    events.then = [&] { windows.QuitMessageLoop(); };
    auto window = windows.CreateTraySlot(1, {"Exit"}, events);
    events.window = AsWindow(window->Window());
    UINT_PTR timer = SetTimer(nullptr, 0, 5000, &Watchdog);

    PostMessageA(events.window, WM_CLOSE, 0, 0);  // closing destroys the window, which quits
    windows.RunMessageLoop();

    KillTimer(nullptr, timer);
    EXPECT_FALSE(watchdogFired) << "the loop did not return on QuitMessageLoop";
    EXPECT_EQ(events.unloads, 1);
    EXPECT_FALSE(IsWindow(events.window));
}

// The tray calls back with message 512, the icon's id in wParam and the mouse message in lParam;
// the blink timer ticks only while it is enabled. Each reaches its own slot only.
TEST(Win32WindowSystemTest, DeliversTrayNotificationsAndTimerTicks) {
    Win32WindowSystem windows;
    RecordingEvents other, events;
    auto first = windows.CreateTraySlot(1, {"Exit"}, other);
    auto window = windows.CreateTraySlot(2, {"Exit"}, events);
    events.window = AsWindow(window->Window());
    UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, &Watchdog);

    events.then = [&] { windows.QuitMessageLoop(); };
    PostMessageA(events.window, 512, 3, 514);  // no slot has id 3
    PostMessageA(events.window, 512, 2, 515);
    windows.RunMessageLoop();
    EXPECT_EQ(events.trayMessages, std::vector<int>{515});
    EXPECT_TRUE(other.trayMessages.empty());

    events.then = [&] {
        if (events.ticks == 2) windows.QuitMessageLoop();
    };
    window->SetTimer(true, 20);
    windows.RunMessageLoop();
    window->SetTimer(false, 20);
    events.then = nullptr;  // the unload at the end must not post another quit
    KillTimer(nullptr, watchdog);
    EXPECT_FALSE(watchdogFired) << "the timer did not tick";
    EXPECT_EQ(std::pair(events.ticks, other.ticks), std::pair(2, 0));

    MSG message;
    Sleep(60);
    EXPECT_FALSE(PeekMessageA(&message, events.window, WM_TIMER, WM_TIMER, PM_NOREMOVE))
        << "the timer ticks on after it was switched off";
}

// The two timers tick apart. The shell's "TaskbarCreated" broadcast reaches every slot, and closing
// the window unloads every slot, in the order of their ids.
TEST(Win32WindowSystemTest, RetryTimerTaskbarCreationAndClosingReachTheirOwnEvents) {
    Win32WindowSystem windows;
    std::vector<int> order;
    RecordingEvents events(&order, 1), third(&order, 3), second(&order, 2);
    auto window = windows.CreateTraySlot(1, {"Exit"}, events);
    auto last = windows.CreateTraySlot(3, {"Exit"}, third);
    auto middle = windows.CreateTraySlot(2, {"Exit"}, second);
    events.window = AsWindow(window->Window());
    UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, &Watchdog);
    events.then = [&] { windows.QuitMessageLoop(); };
    window->SetRetryTimer(true, 20);
    windows.RunMessageLoop();
    window->SetRetryTimer(false, 20);
    events.then = nullptr;
    KillTimer(nullptr, watchdog);
    EXPECT_EQ(std::pair(events.retries, events.ticks), std::pair(1, 0));

    SendMessageA(events.window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    SendMessageA(events.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, -1, -2, -3}));
    EXPECT_FALSE(IsWindow(events.window));
}

}  // namespace
}  // namespace iconlane::win32
