// The end-to-end driver: runs the real iconlane.exe in a fresh folder under Wine and uses it as a
// person does, through the tray, dialogs, menus, keys and the mouse. A spy window stands in front
// of Wine's task bar, so that Shell_NotifyIcon reaches it first: it notes each call with its time
// and passes it on, or refuses the first adds as a shell that is not ready yet does.
#pragma once

#include <windows.h>
// commctrl.h and psapi.h need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Texts = std::vector<std::string>;
using Icon = std::pair<LONG, UINT>;                // a tray icon's window and id
enum Item { kLaunch = 1, kCancel, kHelp, kExit };  // Down presses that reach each menu item

template <class Done>
bool pollUntil(Done done, std::chrono::milliseconds timeout = 15s) {
    for (auto end = Clock::now() + timeout; !done(); Sleep(20))
        if (Clock::now() > end) return false;
    return true;
}

// True once `holds` has stayed true for `quiet`: where the absence of an effect matters.
template <class Holds>
bool holdsFor(Holds holds, std::chrono::milliseconds quiet) {
    auto since = Clock::now();
    return pollUntil(
        [&] { return holds() ? Clock::now() - since >= quiet : (since = Clock::now(), false); },
        quiet + 15s);
}

// A window's text through WM_GETTEXT, as a screen reader asks another process's window.
inline std::string textOf(HWND window) {
    std::string text(1 << 16, '\0');
    DWORD_PTR n = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), LPARAM(text.data()), SMTO_BLOCK, 2000, &n);
    return text.substr(0, n);
}

// Top-level windows (hidden ones too) of a process, of a class or (null) of any.
inline std::vector<HWND> windowsOf(DWORD process, const char* windowClass) {
    std::vector<HWND> found;
    DWORD owner = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, windowClass, nullptr));)
        if (GetWindowThreadProcessId(window, &owner), owner == process) found.push_back(window);
    return found;
}

// How many pixels of a screen area are red, orange, or of a colour.
struct Colours {
    long red = 0, orange = 0, own = 0, all = 0;
};
inline Colours coloursIn(RECT r, COLORREF own = 0) {
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO format{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    RGBQUAD* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &format, 0, reinterpret_cast<void**>(&bits), 0, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    Colours found{0, 0, 0, width * height};
    for (const RGBQUAD& p : std::vector<RGBQUAD>(bits, bits + found.all)) {
        const int red = p.rgbRed, green = p.rgbGreen, blue = p.rgbBlue;
        found.red += red > 150 && green < 80 && blue < 80;
        found.orange += red > 200 && green >= 100 && green < 200 && blue < 80;
        found.own +=
            abs(red - GetRValue(own)) + abs(green - GetGValue(own)) + abs(blue - GetBValue(own)) <
            60;
    }
    SelectObject(memory, old), DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
    return found;
}

// Wine's task bar, not the spy. Each icon has a tooltip control of its own, owned by the task bar,
// with one tool whose rectangle is the icon's place (empty once deleted) and whose text its tip.
inline HWND taskBar() {
    HWND bar = nullptr;
    for (DWORD me = GetCurrentProcessId(), owner = me; owner == me;)
        GetWindowThreadProcessId(bar = FindWindowExA(0, bar, "Shell_TrayWnd", 0), &owner);
    return bar;
}

// The icons' tips and places, in the order added (Wine packs them from the right). The tools are
// read through a page in the task bar's process, the only place their pointers are valid.
inline std::map<LONG, std::pair<std::string, RECT>, std::greater<>> trayIcons() {
    HWND bar = taskBar();
    DWORD owner = 0;
    GetWindowThreadProcessId(bar, &owner);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, owner);
    auto* page = static_cast<char*>(VirtualAllocEx(process, 0, 4096, MEM_COMMIT, PAGE_READWRITE));
    auto send = [](HWND tooltip, UINT message, WPARAM w, void* l) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(tooltip, message, w, LPARAM(l), SMTO_BLOCK, 2000, &result);
        return result;
    };
    std::map<LONG, std::pair<std::string, RECT>, std::greater<>> icons;
    for (HWND tooltip : windowsOf(owner, TOOLTIPS_CLASSA)) {
        for (WPARAM n = 0;
             GetWindow(tooltip, GW_OWNER) == bar && n < send(tooltip, TTM_GETTOOLCOUNT, 0, 0);
             ++n) {
            TTTOOLINFOW tool{};
            wchar_t text[1000] = {};
            char utf8[4000] = {};
            tool.cbSize = sizeof tool;
            WriteProcessMemory(process, page, &tool, sizeof tool, nullptr);
            send(tooltip, TTM_ENUMTOOLSW, n, page);
            ReadProcessMemory(process, page, &tool, sizeof tool, nullptr);
            if (IsRectEmpty(&tool.rect)) continue;
            tool.lpszText = reinterpret_cast<LPWSTR>(page + 1024);
            WriteProcessMemory(process, page, &tool, sizeof tool, nullptr);
            WriteProcessMemory(process, page + 1024, text, sizeof text, nullptr);
            send(tooltip, TTM_GETTEXTW, std::size(text), page);
            ReadProcessMemory(process, page + 1024, text, sizeof text - 2, nullptr);
            WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
            MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&tool.rect), 2);
            icons[tool.rect.left] = {utf8, tool.rect};
        }
    }
    VirtualFreeEx(process, page, 0, MEM_RELEASE), CloseHandle(process);
    return icons;
}

// The tips once exactly `count` icons have been shown for a moment (what is shown on timeout).
inline Texts waitForTips(std::size_t count) {
    Texts tips;
    holdsFor(
        [&] {
            tips.clear();
            for (const auto& icon : trayIcons()) tips.push_back(icon.second.first);
            return tips.size() == count;
        },
        300ms);
    return tips;
}

class TraySpy {
public:
    TraySpy() : thread_([this] { Run(); }) {
        pollUntil([&] { return window_ != nullptr; });
    }
    ~TraySpy() { PostMessageA(window_, WM_CLOSE, 0, 0), thread_.join(); }
    // The icons of the calls of one operation (NIM_ADD, NIM_MODIFY, NIM_DELETE), and their times.
    std::vector<std::pair<Icon, Clock::time_point>> calls(DWORD operation) {
        std::lock_guard lock(mutex_);
        return calls_[operation];
    }
    std::atomic<int> refuseAdds{0};
    std::atomic<bool> passOn{true};  // off: answers every call itself, at once

private:
    void Run() {
        WNDCLASSA windowClass{0,       &Procedure, 0,       0,       nullptr,
                              nullptr, nullptr,    nullptr, nullptr, "Shell_TrayWnd"};
        RegisterClassA(&windowClass);
        HWND window =
            CreateWindowExA(WS_EX_TOPMOST, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, 0, 0, 0, 0);
        SetWindowLongPtrA(window, GWLP_USERDATA, LONG_PTR(this));
        window_ = window;
        for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;) DispatchMessageA(&message);
        DestroyWindow(window);
    }
    // Wine's Shell_NotifyIcon sends WM_COPYDATA: the operation, then data starting with window, id.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<TraySpy*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_CLOSE) PostQuitMessage(0);
        if (message != WM_COPYDATA || !self) return DefWindowProcA(window, message, w, l);
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        const auto* fields = static_cast<const LONG*>(data->lpData);
        std::lock_guard lock(self->mutex_);
        self->calls_[data->dwData].push_back({{fields[0], UINT(fields[1])}, Clock::now()});
        if (data->dwData == NIM_ADD && self->refuseAdds > 0) return --self->refuseAdds, FALSE;
        DWORD_PTR result = TRUE;
        if (self->passOn) SendMessageTimeoutA(taskBar(), message, w, l, SMTO_BLOCK, 5000, &result);
        return LRESULT(result);
    }
    std::mutex mutex_;
    std::map<DWORD, std::vector<std::pair<Icon, Clock::time_point>>> calls_;
    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

// Windows path of a built file, from the variable ctest sets; Wine shows the Unix root as Z:.
inline std::string builtFile(const char* variable, const char* sibling = nullptr) {
    std::string path = std::getenv(variable) ? std::getenv(variable) : "";
    std::replace(path.begin(), path.end(), '/', '\\');
    if (sibling) path = path.substr(0, path.rfind('\\') + 1) + sibling;
    return path.starts_with("\\") ? "Z:" + path : path;
}

inline constexpr COLORREF kOwnColours[] = {RGB(0, 160, 0), RGB(0, 0, 200), RGB(200, 160, 0)};

// One scenario: a fresh folder C:\iconlane-e2e\<name> holding marker.exe (the launch witness),
// the guide and own1.ico..own3.ico, plain squares of kOwnColours; "$D" in texts is the folder.
class Driver {
public:
    explicit Driver(const std::string& name) : folder_("C:\\iconlane-e2e\\" + name) {
        std::filesystem::remove_all(folder_), std::filesystem::create_directories(folder_);
        CopyFileA(builtFile("ICONLANE_E2E_MARKER").c_str(), path("$D\\marker.exe").c_str(), 0);
        CopyFileA(builtFile("ICONLANE_EXE", "Iconlane.rtf").c_str(),
                  path("$D\\Iconlane.rtf").c_str(), 0);
        for (int n = 0; n < 3; ++n) {  // 32 x 32 x 32 bits: 0x10A8 bytes at offset 22
            std::string ico("\0\0\1\0\1\0\x20\x20\0\0\1\0\x20\0\xA8\x10\0\0\x16\0\0\0", 22);
            const BITMAPINFOHEADER header{40, 32, 64, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            ico.append(reinterpret_cast<const char*>(&header), sizeof header);
            const COLORREF c = kOwnColours[n];
            for (int p = 0; p < 32 * 32; ++p)
                ico += {char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c)), -1};
            write("own" + std::to_string(n + 1) + ".ico", ico + std::string(32 * 4, '\0'));
        }
    }

    // Ends the program as the system does at log-off: any dialog closed, then WM_CLOSE to the
    // window that holds the icons.
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
        EXPECT_TRUE(clean && GetExitCodeProcess(process_.hProcess, &code) && code == 0) << code;
        EXPECT_EQ(waitForTips(0), Texts{}) << "icons left behind";
        CloseHandle(process_.hProcess), CloseHandle(process_.hThread);
    }

    std::string path(std::string text) const {
        for (std::size_t at; (at = text.find("$D")) != std::string::npos;)
            text.replace(at, 2, folder_);
        return text;
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path("$D\\" + name), std::ios::binary) << bytes;
    }
    void writeLines(const std::string& name, const Texts& lines) const {
        std::string text;
        for (const std::string& line : lines) text += path(line) + "\r\n";
        write(name, text);
    }

    // Runs an exact command line (a shell would rebuild it from argv, losing blanks and quotes) in
    // the folder, with APPDATA pointing into it.
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
    // Starts the built program (named by its ctest variable) as $D\iconlane.exe.
    void start(const std::string& arguments,
               const std::map<std::string, std::string>& environment = {},
               const char* program = "ICONLANE_EXE") {
        CopyFileA(builtFile(program).c_str(), path("$D\\iconlane.exe").c_str(), 0);
        process_ =
            run("\"$D\\iconlane.exe\"" + (arguments.empty() ? "" : " " + arguments), environment);
    }
    // Writes the options and "Lane 1".."Lane n", entries that open marker.exe, each with its own
    // plain icon, and starts the program with them as its batch file.
    void startLane(int entries, const Texts& options = {}) {
        Texts lines, tips;
        for (int n = 1; n <= entries; ++n) {
            tips.push_back("Lane " + std::to_string(n));
            lines.push_back("$D\\marker.exe," + tips.back() + ",$D\\own" + std::to_string(n) +
                            ".ico");
        }
        writeLines("Iconlane.ini", options), writeLines("lane.txt", lines),
            start("/BATCH:$D\\lane.txt");
        EXPECT_EQ(waitForTips(entries), tips);
    }
    DWORD id() const { return process_.dwProcessId; }
    bool ended(std::chrono::milliseconds within = 15s) const {
        return WaitForSingleObject(process_.hProcess, DWORD(within.count())) == WAIT_OBJECT_0;
    }

    // What the witness wrote: "loaded", or "<show command> <command line>" per start.
    Texts witnessed() const {
        std::ifstream file(path("$D\\launches.txt"));
        Texts lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line.substr(0, line.find('\r')));
        return lines;
    }
    bool witnessedSettlesAt(std::size_t count) const {
        return holdsFor([&] { return witnessed().size() == count; }, 1s);
    }

    RECT place(std::size_t icon) const {
        const auto icons = trayIcons();
        return icon < icons.size() ? std::next(icons.begin(), icon)->second.second : RECT{};
    }
    // Clicks through SendInput reach Wine's tray as a mouse's do; separate clicks are spaced
    // beyond the double-click time.
    void click(std::size_t icon, int times, bool right = false) {
        std::this_thread::sleep_until(lastClick_ +
                                      std::chrono::milliseconds(GetDoubleClickTime() + 100));
        const RECT r = place(icon);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        INPUT input[2] = {{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
        input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        for (int n = 0; n < times; ++n) Sleep(60), SendInput(2, input, sizeof input[0]);
        lastClick_ = Clock::now();
        if (!right) SetCursorPos(300, 100);
    }
    // Chooses from the icon's pop-up menu (a #32768 window), which takes posted keys.
    void choose(std::size_t icon, Item item) {
        click(icon, 1, true);
        HWND menu = waitFor("#32768");
        SetCursorPos(300, 100), Sleep(200);  // it takes keys once drawn
        for (int n = 0; n < item; ++n) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(menu && pollUntil([&] { return !IsWindowVisible(menu); }))
            << "no menu, or stays";
    }
    // Icon n shows own<n+1>.ico (at least half its pixels and no red), or the red cross (an eighth
    // red, none of its own colour).
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
    bool showsNoDialog() const {
        return holdsFor([&] { return !waitFor("#32770", 0, 0ms) && !waitFor("frmHelp", 0, 0ms); },
                        700ms);
    }
    static void press(HWND dialog, int button) {
        PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    }

    TraySpy spy;

private:
    std::string folder_;
    PROCESS_INFORMATION process_{};
    inline static Clock::time_point lastClick_;
};

}  // namespace e2e
