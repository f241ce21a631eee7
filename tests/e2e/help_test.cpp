// The help window "frmHelp": the user guide Iconlane.rtf from the program's folder in a rich-text
// box (or the note that it is missing), titled with the version, its two controls keeping their
// proportions when the window is resized, closed with its Ok button or the keyboard. An empty
// command line shows it and ends with it; "Help..." in an icon's menu shows it and the icons stay.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "entry_window_fixture.h"
#include "screen_pixels.h"
#include "win_handle.h"
#include "window_search.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kTextBoxId = 100;
constexpr const char* kMissingGuide =
    "Iconlane couldn't locate its Help File, Iconlane.rtf - this file should be in the program "
    "directory!";
// The design layout in twips: the client area, then each control's left, top, width, height.
constexpr double kDesignWidth = 6705, kDesignHeight = 5310;
struct DesignPlace {
    int id;
    double left, top, width, height;
};
constexpr DesignPlace kDesign[] = {{kTextBoxId, 75, 90, 6525, 4305}, {IDOK, 5205, 4515, 1410, 705}};
constexpr double kTolerancePixels = 2;
constexpr auto kPointerSettle = 150ms;
constexpr int kInk = 100;  // a darker pixel is text

// The text of another process's control, through WM_GETTEXT as a screen reader reads it.
std::string textOf(HWND control) {
    DWORD_PTR length = 0;
    SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

std::string titleOf(HWND window) {
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// A control's rectangle in its window's client area.
RECT placeOf(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// Every control side that lies more than the tolerance away from where the design fractions of the
// client area put it; empty when the layout is in proportion.
std::string misplacements(HWND help) {
    RECT client{};
    GetClientRect(help, &client);
    std::ostringstream out;
    for (const DesignPlace& design : kDesign) {
        const RECT place = placeOf(GetDlgItem(help, design.id));
        const double wide = client.right / kDesignWidth, high = client.bottom / kDesignHeight;
        const std::pair<double, double> sides[] = {
            {place.left, design.left * wide},
            {place.top, design.top * high},
            {place.right - place.left, design.width * wide},
            {place.bottom - place.top, design.height * high}};
        for (const auto& [actual, expected] : sides) {
            if (std::abs(actual - expected) > kTolerancePixels) {
                out << "control " << design.id << ": " << actual << " px, expected " << expected
                    << " (client " << client.right << "x" << client.bottom << "); ";
            }
        }
    }
    return out.str();
}

void report(const std::string& what, const std::string& path) {
    if (!path.empty()) std::cout << "screenshot of " << what << ": " << path << std::endl;
}

// True once the left half of the text box, inside its border, shows dark text.
bool showsText(HWND box) {
    RECT area{};
    GetWindowRect(box, &area);
    area = {area.left + 3, area.top + 3, (area.left + area.right) / 2, area.bottom - 3};
    const ScreenImage image = captureScreen(area);
    return std::any_of(image.pixels.begin(), image.pixels.end(), [](const RGBQUAD& p) {
        return p.rgbRed + p.rgbGreen + p.rgbBlue < 3 * kInk;
    });
}

// Saves the window once its text is drawn; false when the text never shows.
bool saveWhenDrawn(HWND help, const std::string& name) {
    if (!pollUntil([&] { return showsText(GetDlgItem(help, kTextBoxId)); })) return false;
    RECT frame{};
    GetWindowRect(help, &frame);
    report(name, saveScreenshot(frame, name + ".bmp"));
    return true;
}

INPUT keyInput(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
}

// Keys pressed as a user presses them: down in order, then up in reverse order.
void typeChord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) inputs.push_back(keyInput(key, 0));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        inputs.push_back(keyInput(*key, KEYEVENTF_KEYUP));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// LogPixels of the current user, set for the programs started while this lives, then restored.
class ScreenDpiSetting {
public:
    explicit ScreenDpiSetting(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        hadValue_ = RegQueryValueExA(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                                     &size) == ERROR_SUCCESS;
        set_ = RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof dpi) == ERROR_SUCCESS;
    }
    ~ScreenDpiSetting() {
        if (hadValue_) {
            RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                           sizeof old_);
        } else {
            RegDeleteValueA(key_, kValue);
        }
        RegCloseKey(key_);
    }
    ScreenDpiSetting(const ScreenDpiSetting&) = delete;
    ScreenDpiSetting& operator=(const ScreenDpiSetting&) = delete;
    bool set() const { return set_; }

private:
    static constexpr const char* kValue = "LogPixels";
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool hadValue_ = false, set_ = false;
};

class HelpWindow : public EntryWindowTest {
protected:
    // The guide the build leaves beside the built program, copied beside the scenario's one.
    void copyGuide() {
        std::string built = builtProgramPath();
        built = built.substr(0, built.find_last_of('\\') + 1) + "Iconlane.rtf";
        ASSERT_TRUE(CopyFileA(built.c_str(), scenario().pathOf("Iconlane.rtf").c_str(), FALSE))
            << built;
    }

    std::vector<HWND> helpWindows() { return windowsOfClass(program().id(), "frmHelp"); }

    // The program's help window once it is shown in the foreground; null on timeout.
    HWND waitForHelp() {
        HWND help = nullptr;
        pollUntil([&] {
            for (HWND window : helpWindows()) {
                if (IsWindowVisible(window) && GetForegroundWindow() == window) help = window;
            }
            return help != nullptr;
        });
        return help;
    }

    // A click on Ok with the mouse. A window that appears under the pointer can move it back a
    // moment after the pointer was placed, so the click waits until the pointer stays on Ok.
    void clickOk(HWND help) {
        RECT ok{};
        GetWindowRect(GetDlgItem(help, IDOK), &ok);
        const POINT centre{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2};
        const bool placed = pollUntilSteady(
            [&] {
                POINT at{};
                GetCursorPos(&at);
                if (at.x == centre.x && at.y == centre.y) return true;
                SetCursorPos(centre.x, centre.y);
                return false;
            },
            kPointerSettle);
        ASSERT_TRUE(placed) << "the pointer does not stay on Ok";
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, press, sizeof(INPUT));
    }

    // The keys reach the window in the foreground, as they do for a user.
    void typeTo(HWND help, std::initializer_list<WORD> keys) {
        SetForegroundWindow(help);
        ASSERT_TRUE(pollUntil([&] { return GetForegroundWindow() == help; }));
        typeChord(keys);
    }

    bool closed(HWND help) const {
        return pollUntil([&] { return !IsWindow(help); });
    }
};

TEST_F(HelpWindow, EmptyCommandLineShowsTheGuideTitledWithTheVersion) {
    copyGuide();
    start("");
    HWND help = waitForHelp();
    ASSERT_NE(help, nullptr) << "no help window";
    EXPECT_EQ(titleOf(help), "Iconlane v1.0.0");

    // Rich text, read as such: headings and examples as text, RTF escapes resolved.
    HWND box = GetDlgItem(help, kTextBoxId);
    const std::string text = textOf(box);
    EXPECT_THAT(text, HasSubstr("Iconlane User Guide"));
    EXPECT_THAT(text, HasSubstr("%windir%\\notepad.exe,Notepad"));
    EXPECT_THAT(text, HasSubstr("RIGHTMOUSEMENUDISABLED"));
    EXPECT_THAT(text, Not(HasSubstr("\\par")));
    // The guide is longer than the box: a page down scrolls it.
    SendMessageA(box, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SendMessageA(box, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_TRUE(saveWhenDrawn(help, "help-guide"));

    clickOk(help);
    EXPECT_TRUE(closed(help));
    EXPECT_TRUE(waitForExit()) << "iconlane.exe runs on after its help window closed";
}

TEST_F(HelpWindow, MissingGuideIsNamedInTheTextBox) {
    start("");
    HWND help = waitForHelp();
    ASSERT_NE(help, nullptr) << "no help window";
    EXPECT_EQ(titleOf(help), "Iconlane v1.0.0");
    EXPECT_EQ(textOf(GetDlgItem(help, kTextBoxId)), kMissingGuide);
    EXPECT_TRUE(showsNoMessageBox());
    EXPECT_TRUE(saveWhenDrawn(help, "help-missing"));
    clickOk(help);
    EXPECT_TRUE(closed(help));
    EXPECT_TRUE(waitForExit());
}

TEST_F(HelpWindow, OkEnterEscapeAndAltOCloseItAndTheProgramEnds) {
    copyGuide();
    struct Way {
        const char* name;
        std::function<void(HWND)> close;
    };
    const std::vector<Way> ways = {
        {"Ok clicked", [this](HWND help) { clickOk(help); }},
        // A posted BM_CLICK goes through the window's message loop, as a click does.
        {"BM_CLICK posted",
         [](HWND help) { PostMessageA(GetDlgItem(help, IDOK), BM_CLICK, 0, 0); }},
        {"Alt+O",
         [this](HWND help) {
             typeTo(help, {VK_MENU, 'O'});
         }},
        {"Enter", [this](HWND help) { typeTo(help, {VK_RETURN}); }},
        {"Esc", [this](HWND help) { typeTo(help, {VK_ESCAPE}); }}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        start("");
        HWND help = waitForHelp();
        ASSERT_NE(help, nullptr) << "no help window";
        way.close(help);
        EXPECT_TRUE(closed(help));
        EXPECT_TRUE(waitForExit());
    }
}

TEST_F(HelpWindow, ResizingKeepsBothControlsInProportion) {
    copyGuide();
    start("");
    HWND help = waitForHelp();
    ASSERT_NE(help, nullptr) << "no help window";
    RECT client{};
    GetClientRect(help, &client);
    const int dpi = GetDeviceCaps(ScreenDc().get(), LOGPIXELSX);
    EXPECT_EQ(client.right, std::lround(kDesignWidth * dpi / 1440));
    EXPECT_EQ(client.bottom, std::lround(kDesignHeight * dpi / 1440));
    EXPECT_EQ(misplacements(help), "");

    for (const SIZE size : {SIZE{800, 600}, SIZE{330, 260}, SIZE{1000, 740}}) {
        SetWindowPos(help, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        std::string wrong;
        pollUntil([&] { return (wrong = misplacements(help)).empty(); });
        EXPECT_EQ(wrong, "") << size.cx << "x" << size.cy;
        RECT frame{};
        GetWindowRect(help, &frame);
        EXPECT_EQ(frame.right - frame.left, size.cx);
    }
    EXPECT_TRUE(saveWhenDrawn(help, "help-resized"));
    clickOk(help);
    EXPECT_TRUE(waitForExit());
}

TEST_F(HelpWindow, HelpFromAnIconMenuShowsTheGuideAndTheIconsStay) {
    copyGuide();
    startLane({}, 2);
    HWND menu = openMenu(0);
    ASSERT_NE(menu, nullptr);
    choose(menu, MenuChoice::Help);
    HWND help = waitForHelp();
    ASSERT_NE(help, nullptr) << "no help window after \"Help...\"";
    EXPECT_EQ(titleOf(help), "Iconlane v1.0.0");
    EXPECT_THAT(textOf(GetDlgItem(help, kTextBoxId)), HasSubstr("Iconlane User Guide"));

    // "Help..." of the other icon while it is open brings it to the front; no second one.
    menu = openMenu(1);
    ASSERT_NE(menu, nullptr);
    choose(menu, MenuChoice::Help);
    EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == help; }));
    EXPECT_TRUE(pollUntilSteady([&] { return helpWindows() == std::vector<HWND>{help}; }, 500ms));

    clickOk(help);
    EXPECT_TRUE(closed(help));
    EXPECT_EQ(tray().waitForIcons(2), (Tips{"Lane 1", "Lane 2"}));
    EXPECT_TRUE(showsNoMessageBox());
    EXPECT_TRUE(program().running());
}

TEST_F(HelpWindow, At150PercentTheWindowIsLaidOutForTheLargerScreenDpi) {
    copyGuide();
    HWND help = nullptr;
    {
        // Wine reads the setting when a program starts: only this one is started meanwhile.
        ScreenDpiSetting large(144);
        ASSERT_TRUE(large.set());
        start("");
        help = waitForHelp();
    }
    ASSERT_NE(help, nullptr) << "no help window";
    RECT client{};
    GetClientRect(help, &client);
    EXPECT_EQ(client.right, std::lround(kDesignWidth * 144 / 1440));
    EXPECT_EQ(client.bottom, std::lround(kDesignHeight * 144 / 1440));
    EXPECT_EQ(misplacements(help), "");
    EXPECT_THAT(textOf(GetDlgItem(help, kTextBoxId)), HasSubstr("Iconlane User Guide"));
    EXPECT_TRUE(saveWhenDrawn(help, "help-guide-150"));
    clickOk(help);
    EXPECT_TRUE(waitForExit());
}

}  // namespace
}  // namespace e2e
