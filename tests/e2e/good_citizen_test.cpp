// How iconlane.exe fits into Windows: its version and manifest resources, UTF-8 names in batch
// files, icons that come back when the task bar is recreated, and no DLL taken from its own or the
// current folder.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "entry_window_fixture.h"
#include "screen_pixels.h"
#include "window_search.h"

namespace e2e {
namespace {

std::wstring wideFromUtf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

// The text as the tray probe reads tooltips back: in this process's ANSI code page.
std::string ansiFromUtf8(const std::string& text) {
    const std::wstring wide = wideFromUtf8(text);
    std::string ansi(wide.size() * 4, '\0');
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                            static_cast<int>(ansi.size()), nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(std::max(length, 0)));
    return ansi;
}

bool fileExists(const std::string& utf8Path) {
    return GetFileAttributesW(wideFromUtf8(utf8Path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Folder of the built test programs, where the marker and the planted DLL are built.
std::string builtTestFolder() {
    const char* marker = std::getenv("ICONLANE_E2E_MARKER");
    if (marker == nullptr) throw std::runtime_error("ICONLANE_E2E_MARKER is not set");
    const std::string path = windowsPathFromUnix(marker);
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string versionString(const std::vector<char>& info, const std::string& name) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof *translation) {
        return "(no translation)";
    }
    char query[96];
    wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage,
              name.c_str());
    char* value = nullptr;
    if (!VerQueryValueA(info.data(), query, reinterpret_cast<void**>(&value), &size)) {
        return "(missing)";
    }
    return std::string(value, size > 0 ? size - 1 : 0);
}

// Sends the message Explorer broadcasts when it has recreated the task bar.
void broadcastTaskbarCreated() {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

using GoodCitizenFile = IconlaneTest;

TEST_F(GoodCitizenFile, VersionResourceNamesTheProgramAndItsVersion) {
    const std::string exe = builtProgramPath();
    DWORD handle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(exe.c_str(), &handle));
    ASSERT_FALSE(info.empty()) << "no version resource in " << exe;
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1)) << "file version is not 1.0.x.x";
    EXPECT_EQ(fixed->dwFileVersionLS, 0u) << "file version is not 1.0.0.0";
    EXPECT_EQ(versionString(info, "FileDescription"), "Iconlane tray launcher");
    EXPECT_EQ(versionString(info, "ProductName"), "Iconlane");
}

TEST_F(GoodCitizenFile, ManifestAsksForUtf8AndPerMonitorScaling) {
    HMODULE exe = LoadLibraryExA(builtProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr) << "no manifest resource 1";
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(exe, found));
    FreeLibrary(exe);
    EXPECT_NE(manifest.find("<activeCodePage"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos) << manifest;
}

class GoodCitizen : public EntryWindowTest {
protected:
    // The program's shown question dialog after "Exit Iconlane"; null on timeout.
    HWND waitForQuestion() {
        std::vector<HWND> shown;
        pollUntil([&] {
            shown = topLevelWindowsWhere([&](HWND window) {
                return processOf(window) == program().id() && classNameOf(window) == "#32770" &&
                       IsWindowVisible(window) && GetDlgItem(window, IDNO) != nullptr;
            });
            return !shown.empty();
        });
        return shown.empty() ? nullptr : shown.front();
    }

    bool showOwnPictures(std::size_t icons) const {
        for (std::size_t n = 0; n < icons; ++n) {
            if (lookOf(n) != IconLook::OwnPicture) return false;
        }
        return true;
    }

    // The tooltips shown, sorted: a recreated task bar gets the icons back in another order.
    Tips sortedTips(std::size_t count) const {
        Tips tips = tray().waitForIcons(count);
        std::sort(tips.begin(), tips.end());
        return tips;
    }

    // Each shown icon's mean colour on the screen, by tooltip.
    std::map<std::string, COLORREF> picturesByTip() const {
        std::map<std::string, COLORREF> pictures;
        HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
        for (const TrayIcon& icon : tray().icons()) {
            RECT area = icon.slot;
            MapWindowPoints(taskBar, nullptr, reinterpret_cast<POINT*>(&area), 2);
            const ScreenImage image = captureScreen(area);
            unsigned long red = 0, green = 0, blue = 0;
            for (const RGBQUAD& p : image.pixels) {
                red += p.rgbRed;
                green += p.rgbGreen;
                blue += p.rgbBlue;
            }
            const unsigned long count = std::max<unsigned long>(image.pixels.size(), 1);
            pictures[icon.tip] = RGB(red / count, green / count, blue / count);
        }
        return pictures;
    }
};

// The folder and the marker copy have names outside ASCII; the batch file is UTF-8 with a BOM.
TEST_F(GoodCitizen, Utf8BatchFileLaunchesANonAsciiTargetAndShowsItsTooltip) {
    const std::string folder = scenario().pathOf("Z\u00fcrich");
    const std::string target = folder + "\\m\u00e4rker-\u00fc.exe";
    const std::string tip = "Gr\u00fc\u00dfe aus Z\u00fcrich";
    ASSERT_TRUE(CreateDirectoryW(wideFromUtf8(folder).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(wideFromUtf8(builtTestFolder() + "iconlane_e2e_marker.exe").c_str(),
                          wideFromUtf8(target).c_str(), FALSE));
    scenario().writeLines("Iconlane.ini", {"CLICKMODE=SINGLE"});
    scenario().writeFile("lane.txt", "\xEF\xBB\xBF" + target + "," + tip + ",\r\n");
    start("/BATCH:" + scenario().pathOf("lane.txt"));

    ASSERT_EQ(tray().waitForIcons(1), Tips{ansiFromUtf8(tip)});
    EXPECT_TRUE(showsNoMessageBox()) << "the UTF-8 line was reported";
    RECT slot = tray().icons().front().slot;
    MapWindowPoints(FindWindowA("Shell_TrayWnd", nullptr), nullptr, reinterpret_cast<POINT*>(&slot),
                    2);
    clickAt({(slot.left + slot.right) / 2, (slot.top + slot.bottom) / 2}, Click::Single);
    moveMouseAway();
    EXPECT_TRUE(pollUntil([&] { return fileExists(folder + "\\launches.txt"); }))
        << "the marker under its non-ASCII name was not started";
}

TEST_F(GoodCitizen, IconsComeBackOnceEachWhenTheTaskBarIsRecreated) {
    startLane({}, 3);
    ASSERT_TRUE(pollUntil([&] { return showOwnPictures(3); }));
    const auto pictures = picturesByTip();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        broadcastTaskbarCreated();
        EXPECT_EQ(sortedTips(3), (Tips{"Lane 1", "Lane 2", "Lane 3"}));
        EXPECT_EQ(picturesByTip(), pictures);
    }
    EXPECT_TRUE(showsNoMessageBox());
}

// Exit's question is open and every icon blinks when the task bar comes back.
TEST_F(GoodCitizen, IconsComeBackOnceEachWhileBlinking) {
    startLane({}, 3);
    ASSERT_TRUE(pollUntil([&] { return showOwnPictures(3); }));
    const auto pictures = picturesByTip();
    HWND menu = openMenu(0);
    ASSERT_NE(menu, nullptr);
    choose(menu, MenuChoice::Exit);
    HWND question = waitForQuestion();
    ASSERT_NE(question, nullptr) << "no question after \"Exit Iconlane\"";

    broadcastTaskbarCreated();
    EXPECT_EQ(sortedTips(3), (Tips{"Lane 1", "Lane 2", "Lane 3"}));

    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(question, IDNO), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    EXPECT_TRUE(pollUntil([&] { return !IsWindow(question); })) << "No does not close it";
    EXPECT_TRUE(pollUntilSteady([&] { return picturesByTip() == pictures; }, 2s))
        << "the icons do not settle on their own pictures after No";
    EXPECT_EQ(sortedTips(3), (Tips{"Lane 1", "Lane 2", "Lane 3"}));
    EXPECT_TRUE(program().running());
}

// Wine prefers its own msftedit.dll to one found on the search path unless told otherwise.
const Environment kNativeFirst{{"WINEDLLOVERRIDES", "msftedit=n,b"}};

// A msftedit.dll beside the program (which is also the current folder) must not be loaded by
// the help window's RichEdit.
TEST_F(GoodCitizen, HelpWindowIgnoresAPlantedRichEditDll) {
    const std::string planted = builtTestFolder() + "planted_dll.dll";
    std::string guide = builtProgramPath();
    guide = guide.substr(0, guide.find_last_of('\\') + 1) + "Iconlane.rtf";
    ASSERT_TRUE(CopyFileA(guide.c_str(), scenario().pathOf("Iconlane.rtf").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(planted.c_str(), scenario().pathOf("msftedit.dll").c_str(), FALSE));
    start("", kNativeFirst);

    std::vector<HWND> help;
    ASSERT_TRUE(pollUntil([&] {
        help = windowsOfClass(program().id(), "frmHelp");
        return !help.empty() && IsWindowVisible(help.front());
    })) << "no help window";
    EXPECT_FALSE(fileExists(scenario().pathOf("loaded.txt"))) << "the planted DLL was loaded";
    HWND text = GetWindow(help.front(), GW_CHILD);
    while (text != nullptr && GetDlgCtrlID(text) != 100) text = GetWindow(text, GW_HWNDNEXT);
    ASSERT_NE(text, nullptr) << "the help window has no rich-text box";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(text, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    EXPECT_GT(length, 100u) << "the rich-text box shows no guide";

    // Posted, as a click arrives: after a sent BM_CLICK the window closes but the program runs on.
    PostMessageA(GetDlgItem(help.front(), IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitForExit()) << "the program does not end with its help window";
    EXPECT_FALSE(fileExists(scenario().pathOf("loaded.txt"))) << "the planted DLL was loaded";

    // The probe works: a copy of rundll32 beside it loads "msftedit.dll" by bare name and takes
    // the planted one from its own folder.
    ASSERT_TRUE(CopyFileA("C:\\windows\\system32\\rundll32.exe",
                          scenario().pathOf("rundll32.exe").c_str(), FALSE));
    LaunchOptions bareLoad{scenario().pathOf("rundll32.exe"), "msftedit.dll,Probe",
                           scenario().path(), kNativeFirst};
    ProgramProcess loader(bareLoad);
    EXPECT_TRUE(pollUntil([&] { return fileExists(scenario().pathOf("loaded.txt")); }))
        << "the planted DLL never loads";
    loader.waitForExit(kEffectTimeout);
}

}  // namespace
}  // namespace e2e
