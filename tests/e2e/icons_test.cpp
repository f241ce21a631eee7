// The icons of entries whose icon field names no .ico file: each is found for its target (its own
// icon, the icon of its file type, else icon 0 of SHELL32.DLL), written to
// %APPDATA%\Iconlane\<entry number>.ico and shown from there. APPDATA is the scenario folder.
#include <gmock/gmock.h>
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <filesystem>
#include <iostream>

#include "iconlane_fixture.h"
#include "screen_pixels.h"

namespace e2e {
namespace {

// The icon's colours as 32-bit pixels, then its mask; empty when it is no icon. It is destroyed.
std::vector<BYTE> bitsOf(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return {};
    std::vector<BYTE> bits;
    ScreenDc screen;
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        BITMAP size{};
        if (bitmap == nullptr || !GetObjectA(bitmap, sizeof size, &size)) continue;
        BITMAPINFO format{
            {sizeof(BITMAPINFOHEADER), size.bmWidth, size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
            {}};
        std::vector<BYTE> rows(static_cast<std::size_t>(size.bmWidth) * size.bmHeight * 4);
        if (GetDIBits(screen.get(), bitmap, 0, size.bmHeight, rows.data(), &format,
                      DIB_RGB_COLORS) == size.bmHeight) {
            bits.insert(bits.end(), rows.begin(), rows.end());
        }
        DeleteObject(bitmap);
    }
    DestroyIcon(icon);
    return bits;
}

// A 32 x 32 icon file of one opaque pure blue.
std::string blueIconFile() {
    // One icon image: 32 x 32, 1 plane, 32 bits per pixel, 0x10A8 bytes, at offset 22.
    std::string bytes("\0\0\1\0\1\0\x20\x20\0\0\1\0\x20\0\xA8\x10\0\0\x16\0\0\0", 22);
    const BITMAPINFOHEADER header{sizeof header, 32, 64, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (int pixel = 0; pixel < 32 * 32; ++pixel) bytes.append("\xFF\0\0\xFF", 4);  // B G R A
    return bytes + std::string(32 * 4, '\0');  // mask: every pixel drawn
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// Private bytes of a process; under Wine PagefileUsage carries them.
long long privateBytes(DWORD processId) {
    UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!process || !GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) return -1;
    return static_cast<long long>(counters.PagefileUsage);
}

class EntryIcons : public IconlaneTest {
protected:
    // Runs 30 entries of notepad.exe with this icon field and answers the program's private bytes
    // once all icons are shown; the program is then ended.
    long long privateBytesOfThirtyEntries(const std::string& iconField) {
        std::vector<std::string> lines;
        for (int n = 1; n <= 30; ++n) {
            lines.push_back("C:\\windows\\notepad.exe,Lane " + std::to_string(n) + "," + iconField);
        }
        scenario().writeLines("lane.txt", lines);
        start("/BATCH:" + scenario().pathOf("lane.txt"));
        EXPECT_EQ(tray().waitForIcons(30).size(), 30u);
        const long long bytes = privateBytes(program().id());
        closeEntryWindows();
        EXPECT_TRUE(waitForExit());
        EXPECT_EQ(tray().waitForIcons(0), Tips{});
        return bytes;
    }
};

TEST_F(EntryIcons, EveryKindOfTargetGetsAnIconFileAndAnIconFieldFileWritesNone) {
    const std::string library = "C:\\windows\\system32\\SHELL32.DLL";
    const std::string notepad = "C:\\windows\\notepad.exe";
    scenario().writeFile("notes.txt", "A text document.\r\n");
    scenario().writeFile("data.qzx", "A file of a type nobody registered.\r\n");
    scenario().writeFile("blue.ico", blueIconFile());
    struct Entry {
        // iconOf: the file whose icon 0 the entry must show; empty: what its file type names
        std::string target, tip, iconOf;
    };
    const Entry entries[] = {
        {notepad, "Program", notepad},
        {scenario().pathOf("notes.txt"), "Document", ""},
        {scenario().pathOf("data.qzx"), "Unknown type", library},
        {"C:\\windows", "Folder", library},
        {"http://example.com/", "Web address", ""},
    };
    std::vector<std::string> lines;
    Tips tips;
    for (const Entry& entry : entries) {
        lines.push_back(entry.target + "," + entry.tip);
        tips.push_back(entry.tip);
    }
    lines.push_back(notepad + ",Own icon file," + scenario().pathOf("blue.ico"));
    tips.push_back("Own icon file");
    scenario().writeLines("lane.txt", lines);
    start("/BATCH:" + scenario().pathOf("lane.txt"));

    ASSERT_EQ(tray().waitForIcons(tips.size()), tips);
    EXPECT_TRUE(showsNoMessageBox());
    const std::string cache = scenario().pathOf("Iconlane");
    EXPECT_THAT(filesIn(cache),
                ::testing::UnorderedElementsAre("1.ico", "2.ico", "3.ico", "4.ico", "5.ico"));
    for (std::size_t n = 0; n < std::size(entries); ++n) {
        const std::string file = cache + "\\" + std::to_string(n + 1) + ".ico";
        const std::vector<BYTE> bits = bitsOf(static_cast<HICON>(
            LoadImageA(nullptr, file.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
        EXPECT_FALSE(bits.empty()) << file << " is no icon file";
        if (!entries[n].iconOf.empty()) {
            EXPECT_TRUE(bits == bitsOf(ExtractIconA(nullptr, entries[n].iconOf.c_str(), 0)))
                << file << " differs from icon 0 of " << entries[n].iconOf;
        }
    }

    // The entry with its own icon file shows that file's blue in its slot of the tray.
    HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT slot = tray().icons().back().slot;
    MapWindowPoints(taskBar, nullptr, reinterpret_cast<POINT*>(&slot), 2);
    const ScreenImage own = captureScreen(slot);
    ASSERT_FALSE(own.pixels.empty());
    const RGBQUAD centre = own.at(own.width / 2, own.height / 2);
    EXPECT_TRUE(centre.rgbBlue == 255 && centre.rgbRed == 0 && centre.rgbGreen == 0)
        << "centre of the last icon: " << int(centre.rgbRed) << "," << int(centre.rgbGreen) << ","
        << int(centre.rgbBlue);

    RECT bar{};
    GetWindowRect(taskBar, &bar);
    const std::string shot = saveScreenshot(bar, "entry-icons-tray.bmp");
    EXPECT_FALSE(shot.empty()) << "no screenshot saved";
    std::cout << "tray screenshot: " << shot << std::endl;
}

// An extracted icon is released once its file is loaded back: extracting costs no more memory than
// loading an icon file of the same size. One icon kept per entry would add about 7 KB each, over
// 200 KB for 30 entries (measured by leaking it on purpose).
TEST_F(EntryIcons, ExtractedIconsAreReleasedOnceTheirFileIsLoaded) {
    scenario().writeFile("blue.ico", blueIconFile());
    const long long loaded = privateBytesOfThirtyEntries(scenario().pathOf("blue.ico"));
    const long long extracted = privateBytesOfThirtyEntries("");
    ASSERT_GT(loaded, 0);
    ASSERT_GT(extracted, 0);
    EXPECT_LT(extracted - loaded, 100 * 1024)
        << "private bytes: " << extracted << " with extracted icons, " << loaded
        << " with icon files";
}

}  // namespace
}  // namespace e2e
