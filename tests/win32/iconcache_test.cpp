// The icon cache on the real Windows API: the icon an entry shows is the one extracted, and its
// cache file holds exactly its pixels; a cache file that already holds them is not written again.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/shell.h"
#include "scratch_folder.h"

namespace iconlane::win32 {
namespace {

// An icon's colour bitmap as 32-bit pixels (empty for a monochrome icon) and its mask as 1-bit
// rows, both read through GetIconInfo.
struct IconBits {
    std::vector<std::uint8_t> colour, mask;
    bool operator==(const IconBits&) const = default;
};

std::vector<std::uint8_t> Rows(HBITMAP bitmap, WORD bitsPerPixel) {
    BITMAP size{};
    if (bitmap == nullptr || !GetObjectA(bitmap, sizeof size, &size)) return {};
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD palette[2];
    } format{{sizeof(BITMAPINFOHEADER), size.bmWidth, size.bmHeight, 1, bitsPerPixel, BI_RGB, 0, 0,
              0, 0, 0},
             {}};
    std::vector<std::uint8_t> rows((size.bmWidth * bitsPerPixel + 31) / 32 * 4 * size.bmHeight);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, size.bmHeight, rows.data(),
                          reinterpret_cast<BITMAPINFO*>(&format), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == size.bmHeight ? rows : std::vector<std::uint8_t>{};
}

IconBits BitsOf(std::uintptr_t handle) {
    ICONINFO info{};
    if (!GetIconInfo(reinterpret_cast<HICON>(handle), &info)) return {};
    IconBits bits{Rows(info.hbmColor, 32), Rows(info.hbmMask, 1)};
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits;
}

FILETIME LastWritten(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

TEST(IconCacheTest, TheCacheFileHoldsTheShownIconAndIsWrittenOnlyWhenItDiffers) {
    struct Case {
        const char* name;
        int earlierIcon;  // the icon an earlier start cached in the file; -1 for no file
        bool written;
    };
    const Case cases[] = {{"no file yet", -1, true},
                          {"another icon cached", 1, true},
                          {"this icon cached", 0, false}};
    const std::string library = Win32Pictures().SystemDirectory() + "\\SHELL32.DLL";
    const FILETIME longAgo{0x10000000, 0x01B00000};
    ScratchFolder folder;
    Win32Pictures pictures;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Path(std::string(c.name) + ".ico");
        if (c.earlierIcon >= 0) {
            pictures.SaveIconFile(*pictures.ExtractIconPicture(library, c.earlierIcon), path);
            HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            SetFileTime(file, nullptr, nullptr, &longAgo);
            CloseHandle(file);
        }
        PicturePtr shown = pictures.ExtractIconPicture(library, 0);
        ASSERT_NE(shown, nullptr);
        pictures.SaveIconFile(*shown, path);
        const FILETIME written = LastWritten(path);
        EXPECT_EQ(CompareFileTime(&longAgo, &written) != 0, c.written);

        PicturePtr cached = pictures.LoadPictureFile(path);
        const IconBits expected = BitsOf(shown->Handle());
        ASSERT_FALSE(expected.colour.empty() || expected.mask.empty());
        EXPECT_TRUE(BitsOf(cached->Handle()) == expected) << "the file's icon differs";
    }
}

}  // namespace
}  // namespace iconlane::win32
