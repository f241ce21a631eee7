// The picture services and the tray record conversion on the real Windows API.
#include "platform/win32/shell.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/errors.h"
#include "scratch_folder.h"

namespace iconlane::win32 {
namespace {

// A valid icon file with one 16 x 16 image of 32 bits per pixel: an opaque blue square.
std::string SixteenPixelIcon() {
    constexpr int kSide = 16;
    constexpr int kImageSize = 40 + kSide * kSide * 4 + kSide * 4;  // header, colours, mask
    // The file header (an icon file of one image), then the image's entry: size, no palette,
    // 1 plane, 32 bits per pixel, the image's byte count and its offset (right after the entry).
    const unsigned char directory[] = {
        0, 0, 1,  0, 1, 0, kSide, kSide, 0, 0, 1, 0, 32, 0, kImageSize & 0xFF, kImageSize >> 8,
        0, 0, 22, 0, 0, 0};
    const BITMAPINFOHEADER header{sizeof header, kSide, 2 * kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::string ico(reinterpret_cast<const char*>(directory), sizeof directory);
    ico.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (int pixel = 0; pixel < kSide * kSide; ++pixel) ico.append("\xFF\0\0\xFF", 4);  // B G R A
    ico.append(kSide * 4, '\0');  // the mask: every pixel drawn
    return ico;
}

bool IsIcon(std::uintptr_t handle) {
    ICONINFO info{};
    if (!GetIconInfo(reinterpret_cast<HICON>(handle), &info)) return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return info.fIcon;
}

TEST(Win32PicturesTest, LoadPictureFileLoadsIconsAndRefusesTheRest) {
    ScratchFolder folder;
    folder.Write("good.ico", SixteenPixelIcon());
    folder.Write("x.ico", "This is text, not an icon.\r\n");
    struct Case {
        const char* name;
        int expectedError;  // 0: loads
    };
    const Case cases[] = {
        {"good.ico", 0}, {"x.ico", kInvalidPicture}, {"missing.ico", kFileNotFound}};
    Win32Pictures pictures;
    for (const Case& c : cases) {
        try {
            PicturePtr picture = pictures.LoadPictureFile(folder.Path(c.name));
            EXPECT_EQ(c.expectedError, 0) << c.name << " loaded";
            EXPECT_TRUE(picture != nullptr && IsIcon(picture->Handle())) << c.name;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.Number(), c.expectedError) << c.name;
        }
    }
}

TEST(Win32PicturesTest, ExtractIconPictureFromTheSystemLibraryAndIconFiles) {
    ScratchFolder folder;
    Win32Pictures pictures;
    const std::string system = pictures.SystemDirectory();
    DWORD attributes = GetFileAttributesA(system.c_str());
    ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << "system directory: " << system;
    const std::string shell32 = system + "\\SHELL32.DLL";
    struct Case {
        std::string file;
        std::int32_t number;
        bool expectIcon;
    };
    const Case cases[] = {
        {shell32, 0, true},
        {shell32, -1, false},  // asks for the count of icons
        {shell32, 100000, false},
        {folder.Write("good.ico", SixteenPixelIcon()), 0, true},
        {folder.Write("text.txt", "plain text\r\n"), 0, false},
        {folder.Path("missing.dll"), 0, false},
    };
    for (const Case& c : cases) {
        PicturePtr picture = pictures.ExtractIconPicture(c.file, c.number);
        EXPECT_EQ(picture != nullptr, c.expectIcon) << c.file << " #" << c.number;
        if (picture) {
            EXPECT_TRUE(IsIcon(picture->Handle())) << c.file << " #" << c.number;
        }
    }
}

TEST(ToNotifyIconDataTest, CopiesEveryFieldAndAllSixtyFourTipBytes) {
    TrayRecord record;
    record.cbSize = kTrayRecordSize;
    record.hWnd = 0x12345678;
    record.uID = 17;
    record.uFlags = kTrayFlags;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = 0x0ABCDEF0;
    for (std::size_t i = 0; i < kTrayTipLength; ++i) record.szTip[i] = static_cast<char>('!' + i);

    NOTIFYICONDATAA data = ToNotifyIconData(record);
    EXPECT_EQ(data.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(data.hWnd, reinterpret_cast<HWND>(record.hWnd));
    EXPECT_EQ(data.uID, record.uID);
    EXPECT_EQ(data.uFlags, record.uFlags);
    EXPECT_EQ(data.uCallbackMessage, record.uCallbackMessage);
    EXPECT_EQ(data.hIcon, reinterpret_cast<HICON>(record.hIcon));
    EXPECT_EQ(std::string(data.szTip, kTrayTipLength),
              std::string(record.szTip.data(), kTrayTipLength));
    EXPECT_EQ(data.szTip[kTrayTipLength], '\0');  // a reader of the tip stops here
}

}  // namespace
}  // namespace iconlane::win32
