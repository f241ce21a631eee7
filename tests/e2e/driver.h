// The end-to-end driver: the real iconlane.exe in a fresh folder under Wine, used as a person uses
// it (tray, dialogs, menus, mouse). A spy window in front of Wine's task bar gets each
// Shell_NotifyIcon call first, notes its time and passes it on, or refuses it as a shell not ready
// (or answers so while passing it on, as a task bar at log-on may).
#pragma once

#include "observe.h"
// psapi.h needs windows.h first.
#include <gtest/gtest.h>
#include <psapi.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

namespace e2e {

using Icon = std::pair<LONG, UINT>;                // a tray icon's window and id
enum class Keyboard { kSendInput, kXServer };      // how the driver types
enum Item { kLaunch = 1, kCancel, kHelp, kExit };  // the Down presses that reach a menu item

class TraySpy {
public:
    TraySpy() : thread_([this] { Run(); }) {
        pollUntil([&] { return window_ != nullptr; });
    }
    ~TraySpy() { PostMessageA(window_, WM_CLOSE, 0, 0), thread_.join(); }
    // The icons that calls of an operation (NIM_ADD, NIM_MODIFY, NIM_DELETE...) named, and when.
    std::vector<std::pair<Icon, Clock::time_point>> calls(DWORD operation) {
        std::lock_guard lock(mutex_);
        return calls_[operation];
    }
    // The ids of the icons those calls named, in turn.
    std::vector<UINT> ids(DWORD operation) {
        std::vector<UINT> named;
        for (const auto& call : calls(operation)) named.push_back(call.first.second);
        return named;
    }
    // Wine's record of the last call that gave the icon a picture: its fields, the picture's mask
    // bits, then its colour bits.
    std::string picture(Icon icon) {
        std::lock_guard lock(mutex_);
        return pictures_[icon];
    }
    // For each call: the width of the picture it carried (0 for none), or the version it set.
    std::vector<UINT> details(DWORD operation) {
        std::lock_guard lock(mutex_);
        return details_[operation];
    }
    std::atomic<int> refuseAdds{0};
    std::atomic<int> takeLate{0};    // adds passed on, and taken, but answered as refused
    std::atomic<bool> passOn{true};  // off: answers every call itself, at once

private:
    void Run() {
        WNDCLASSA spyClass{0,       &Procedure, 0,       0,       nullptr,
                           nullptr, nullptr,    nullptr, nullptr, "Shell_TrayWnd"};
        RegisterClassA(&spyClass);
        HWND window =
            CreateWindowExA(WS_EX_TOPMOST, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, 0, 0, 0, 0);
        SetWindowLongPtrA(window, GWLP_USERDATA, LONG_PTR(this));
        window_ = window;
        for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;) DispatchMessageA(&message);
        DestroyWindow(window);
    }
    // Wine's Shell_NotifyIcon sends WM_COPYDATA: the operation, then data that start with window,
    // id, flags; in Wine 8 the version is the 199th field and the picture's width the 237th.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<TraySpy*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_CLOSE) PostQuitMessage(0);
        if (message != WM_COPYDATA || !self) return DefWindowProcA(window, message, w, l);
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        const auto* fields = static_cast<const LONG*>(data->lpData);
        std::lock_guard lock(self->mutex_);
        self->calls_[data->dwData].push_back({{fields[0], UINT(fields[1])}, Clock::now()});
        if (fields[2] & NIF_ICON)
            self->pictures_[{fields[0], UINT(fields[1])}].assign(
                static_cast<const char*>(data->lpData), data->cbData);
        const bool picture = fields[2] & NIF_ICON && data->cbData > 240 * sizeof(LONG);
        self->details_[data->dwData].push_back(UINT(data->dwData == NIM_SETVERSION ? fields[198]
                                                    : picture                      ? fields[236]
                                                                                   : 0));
        if (data->dwData == NIM_ADD && self->refuseAdds > 0) return --self->refuseAdds, FALSE;
        DWORD_PTR result = TRUE;
        if (self->passOn) SendMessageTimeoutA(taskBar(), message, w, l, 0, 5000, &result);
        if (data->dwData == NIM_ADD && result && self->takeLate > 0) return --self->takeLate, FALSE;
        return LRESULT(result);
    }
    std::mutex mutex_;
    std::map<DWORD, std::vector<std::pair<Icon, Clock::time_point>>> calls_;
    std::map<Icon, std::string> pictures_;
    std::map<DWORD, std::vector<UINT>> details_;
    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

inline constexpr COLORREF kOwnColours[] = {RGB(0, 160, 0), RGB(0, 0, 200), RGB(200, 160, 0)};

// An .ico file of square frames (size, colour), each one colour all over at 32 bits a pixel.
inline std::string iconFile(const std::vector<std::pair<int, COLORREF>>& frames) {
    std::string directory{0, 0, 1, 0, char(frames.size()), 0}, images;
    for (const auto& [size, c] : frames) {
        const BITMAPINFOHEADER header{40, size, 2 * size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::string image(reinterpret_cast<const char*>(&header), sizeof header);
        for (int p = 0; p < size * size; ++p)
            image += {char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c)), -1};
        image += std::string(size * ((size + 31) / 32 * 4), '\0');  // the mask: every pixel shows
        const DWORD bytes = DWORD(image.size()), at = DWORD(6 + 16 * frames.size() + images.size());
        directory += {char(size), char(size), 0, 0, 1, 0, 32, 0};
        directory.append(reinterpret_cast<const char*>(&bytes), 4);
        directory.append(reinterpret_cast<const char*>(&at), 4);
        images += image;
    }
    return directory + images;
}

// A fresh folder C:\iconlane-e2e\<name> ("$D" in the texts given) with marker.exe, the launch
// witness, the guide and own1.ico..own3.ico, 32 x 32 squares of kOwnColours.
class Driver {
public:
    explicit Driver(const std::string& name) : folder_("C:\\iconlane-e2e\\" + name) {
        std::filesystem::remove_all(folder_), std::filesystem::create_directories(folder_);
        CopyFileA(built("ICONLANE_E2E_MARKER").c_str(), path("$D\\marker.exe").c_str(), 0);
        CopyFileA(built("ICONLANE_EXE", "Iconlane.rtf").c_str(), path("$D\\Iconlane.rtf").c_str(),
                  0);
        for (int n = 0; n < 3; ++n)
            write("own" + std::to_string(n + 1) + ".ico", iconFile({{32, kOwnColours[n]}}));
    }
    // Ends the program as the system does: dialogs closed, then WM_CLOSE to the icons' window.
    ~Driver() {
        if (!process_.hProcess) return;
        const bool clean = pollUntil(
            [&] {
                for (const char* kind : {"#32770", "frmHelp", "IconlaneTray"})
                    for (HWND window : windowsOf(id(), kind)) PostMessageA(window, WM_CLOSE, 0, 0);
                return ended(200ms);
            },
            5s);
        DWORD code = STILL_ACTIVE;
        if (!clean) TerminateProcess(process_.hProcess, 1);
        EXPECT_TRUE(clean && GetExitCodeProcess(process_.hProcess, &code) && !code) << code;
        EXPECT_EQ(waitForTips(0), "") << "icons left behind";
        CloseHandle(process_.hProcess), CloseHandle(process_.hThread);
    }

    // Windows path of a built file (or one beside it), from ctest; the Unix root shows as Z:.
    static std::string built(const char* variable, const char* sibling = nullptr) {
        std::string path = std::getenv(variable) ? std::getenv(variable) : "";
        std::replace(path.begin(), path.end(), '/', '\\');
        if (sibling) path = path.substr(0, path.rfind('\\') + 1) + sibling;
        return "Z:" + path;
    }
    std::string path(std::string text) const {
        for (std::size_t at; (at = text.find("$D")) != std::string::npos;)
            text.replace(at, 2, folder_);
        return text;
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path("$D\\" + name), std::ios::binary) << bytes;
    }
    void writeLines(const std::string& name, const std::vector<std::string>& lines) const {
        std::string text;
        for (const std::string& line : lines) text += path(line) + "\r\n";
        write(name, text);
    }

    // An exact command line (a shell would rebuild it from argv, losing blanks and quotes), run
    // in the folder with APPDATA pointing into it.
    PROCESS_INFORMATION run(std::string line,
                            std::map<std::string, std::string> environment) const {
        environment["APPDATA"] = folder_;
        std::string block;
        for (char* entry = GetEnvironmentStringsA(); *entry; entry += strlen(entry) + 1)
            if (!environment.count(std::string(entry, strcspn(entry + 1, "=") + 1)))
                block.append(entry, strlen(entry) + 1);
        for (const auto& [name, value] : environment) block += name + "=" + value + '\0';
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(CreateProcessA(0, path(line).data(), 0, 0, 0, 0, block.data(), folder_.c_str(),
                                   &startup, &process));
        return process;
    }
    // The built program (named by its ctest variable) as $D\iconlane.exe.
    void start(const std::string& arguments, std::map<std::string, std::string> environment = {},
               const char* program = "ICONLANE_EXE") {
        CopyFileA(built(program).c_str(), path("$D\\iconlane.exe").c_str(), 0);
        process_ =
            run("\"$D\\iconlane.exe\"" + (arguments.empty() ? "" : " " + arguments), environment);
    }
    // The options, and a batch file of "Lane 1".."Lane n" opening lane<n>.exe with their own icons.
    void startLane(int entries, const std::vector<std::string>& options = {}) {
        std::vector<std::string> lines;
        std::string tips;
        for (int n = 1; n <= entries; ++n) {
            const std::string k = std::to_string(n), exe = "$D\\lane" + k + ".exe";
            tips += (n > 1 ? "|Lane " : "Lane ") + k;
            CopyFileA(path("$D\\marker.exe").c_str(), path(exe).c_str(), 0);  // the witness
            lines.push_back(exe + ",Lane " + k + ",$D\\own" + k + ".ico");
        }
        writeLines("Iconlane.ini", options), writeLines("lane.txt", lines),
            start("/BATCH:$D\\lane.txt");
        EXPECT_EQ(waitForTips(entries), tips);
    }
    DWORD id() const { return process_.dwProcessId; }
    // Closed as the system closes the program, by WM_CLOSE to its icons' window: whether it ends.
    bool close() const {
        for (HWND window : windowsOf(id(), "IconlaneTray")) PostMessageA(window, WM_CLOSE, 0, 0);
        return ended();
    }
    // Another run of the program, closed so unless it ends by itself within `own`: its exit code.
    static DWORD close(PROCESS_INFORMATION run, DWORD own = 0) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(run.hProcess, own) != WAIT_OBJECT_0)
            for (HWND window : windowsOf(run.dwProcessId, "IconlaneTray"))
                PostMessageA(window, WM_CLOSE, 0, 0);
        WaitForSingleObject(run.hProcess, 15000), GetExitCodeProcess(run.hProcess, &code);
        CloseHandle(run.hProcess), CloseHandle(run.hThread);
        return code;
    }
    bool ended(std::chrono::milliseconds within = 15s) const {
        return WaitForSingleObject(process_.hProcess, DWORD(within.count())) == WAIT_OBJECT_0;
    }

    // What the witness wrote: "loaded", or "<show command> <command line>" for each start.
    std::vector<std::string> witnessed() const {
        std::ifstream file(path("$D\\launches.txt"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line.substr(0, line.find('\r')));
        return lines;
    }
    bool witnessedSettlesAt(std::size_t count) const {
        return holdsFor([&] { return witnessed().size() == count; }, 1s);
    }
    // Whether the starts settle at one per part given, the n-th start's line holding the n-th part.
    bool launched(std::initializer_list<std::string> parts) const {
        return witnessedSettlesAt(parts.size()) &&
               std::ranges::equal(witnessed(), parts, [](auto& line, auto& part) {
                   return line.find(part) != std::string::npos;
               });
    }

    RECT place(std::size_t icon) const {
        const auto icons = trayIcons();
        return icon < icons.size() ? std::next(icons.begin(), icon)->second.second : RECT{};
    }
    // SendInput reaches Wine's tray as a mouse does; clicks apart are spaced beyond a double click.
    void click(std::size_t icon, int times, bool right = false) {
        std::this_thread::sleep_until(lastClick_ +
                                      std::chrono::milliseconds(GetDoubleClickTime() + 100));
        const RECT r = place(icon);
        for (int n = 0; n < times; ++n)
            clickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, right);
        lastClick_ = Clock::now();
        if (!right) SetCursorPos(300, 100);
    }
    static void clickAt(POINT at, bool right = false) {
        SetCursorPos(at.x, at.y);
        INPUT input[2] = {{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
        input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        Sleep(60), SendInput(2, input, sizeof input[0]);
    }
    // From the icon's pop-up menu, a #32768 window, which takes posted keys once drawn. The
    // pointer leaves the tray once the menu has closed: moved while the menu holds the mouse,
    // Wine puts it back, and over an icon the tray's tooltip comes up.
    void choose(std::size_t icon, Item item) {
        click(icon, 1, true);
        HWND menu = waitFor("#32768");
        Sleep(200);
        for (int n = 0; n < item; ++n) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(menu && pollUntil([&] { return !IsWindowVisible(menu); }))
            << "no menu, or it stays";
        SetCursorPos(300, 100);
    }
    // Icon n shows own<n+1>.ico (half its pixels, no red), or the red cross (an eighth, none own).
    bool shows(std::size_t icon, bool own) const {
        const Colours c = coloursIn(place(icon), kOwnColours[icon]);
        return own ? c.own * 2 >= c.all && !c.red : !c.own && c.red * 8 > c.all;
    }

    // The program's shown window of a class (with that button); null when none comes.
    HWND waitFor(const char* windowClass, int button = 0,
                 std::chrono::milliseconds timeout = 15s) const {
        HWND found = nullptr;
        pollUntil(
            [&] {
                for (HWND window : windowsOf(id(), windowClass))
                    if (IsWindowVisible(window) && (!button || GetDlgItem(window, button)))
                        found = window;
                return found != nullptr;
            },
            timeout);
        return found;
    }
    // Fails with the caption and text of the message or guide that came.
    ::testing::AssertionResult showsNoDialog() const {
        HWND shown = nullptr;
        if (holdsFor([&] { return !(shown = waitFor("#32770", 0, 0ms)) &&
                                  !(shown = waitFor("frmHelp", 0, 0ms)); },
                     700ms))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "a window came: '" << textOf(shown) << "' saying '"
                                             << textOf(GetDlgItem(shown, 0xFFFF)) << "'";
    }
    static void press(HWND dialog, int button) {
        PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    }
    // Keys pressed down, or let go, through the input queue: held while the test clicks.
    static void hold(std::initializer_list<WORD> keys, bool down) {
        for (WORD key : keys) {
            INPUT input{INPUT_KEYBOARD, {}};
            input.ki.wVk = key, input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
            Sleep(30), SendInput(1, &input, sizeof input);
        }
    }
    // Keys pressed together and let go in reverse order, as a hot key is typed: through the input
    // queue, or on the X server's keyboard, which Wine hands to the window that has the X focus.
    void chord(std::initializer_list<WORD> keys) const {
        if (keyboard == Keyboard::kXServer) return typeOnX(keys);
        std::vector<INPUT> input(2 * keys.size(), INPUT{INPUT_KEYBOARD, {}});
        for (std::size_t n = 0; n < keys.size(); ++n) {
            input[n].ki.wVk = input[input.size() - 1 - n].ki.wVk = keys.begin()[n];
            input[input.size() - 1 - n].ki.dwFlags = KEYEVENTF_KEYUP;
        }
        Sleep(60), SendInput(UINT(input.size()), input.data(), sizeof input[0]);
    }
    // As a keyboard types: only the window that has the keyboard sees it.
    void type(std::initializer_list<WORD> keys) const {
        for (WORD key : keys) chord({key});
    }
    // A notification of icon `n` (in the order added) as the task bar sends it under version 3.
    void notify(std::size_t n, LPARAM message) {
        const Icon icon = spy.calls(NIM_ADD).at(n).first;
        PostMessageA(HWND(LONG_PTR(icon.first)), WM_MOUSEMOVE, icon.second, message);
    }

    TraySpy spy;
    Keyboard keyboard = Keyboard::kSendInput;

private:
    // xdotool (Wine starts Unix programs too) leaves a file once it has typed; this thread then
    // reads its X events, as a program with the X focus does (the hot key's row has a window).
    void typeOnX(std::initializer_list<WORD> keys) const {
        const std::map<WORD, std::string> names{{VK_DOWN, "Down"},     {VK_RETURN, "Return"},
                                                {VK_ESCAPE, "Escape"}, {VK_CONTROL, "ctrl"},
                                                {VK_MENU, "alt"},      {VK_RIGHT, "Right"}};
        std::string chord, done = built("ICONLANE_EXE", "typed"), unixDone = done.substr(2);
        for (WORD key : keys)
            chord += (chord.empty() ? "" : "+") +
                     (names.count(key) ? names.at(key) : std::string(1, char(tolower(key))));
        std::replace(unixDone.begin(), unixDone.end(), '\\', '/'), DeleteFileA(done.c_str());
        run("Z:\\bin\\sh -c \"xdotool key " + chord + " && : >'" + unixDone + "'\"", {});
        EXPECT_TRUE(pollUntil([&] { return GetFileAttributesA(done.c_str()) != ~0u; }, 5s));
        Sleep(100);
        for (MSG message; PeekMessageA(&message, 0, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
    }

    std::string folder_;
    PROCESS_INFORMATION process_{};
    inline static Clock::time_point lastClick_;
};

}  // namespace e2e
