// What the Win32 layer does that no scenario can see from outside: the bytes of the icon files it
// writes, and the 260-byte buffer it reads registry values into.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/win32/iconfile.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"

namespace iconlane::win32 {
namespace {

// An icon's colour bitmap (none for a monochrome icon) and mask, as 32-bit rows.
std::string BitsOf(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    std::string bits;
    HDC screen = GetDC(nullptr);
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        BITMAP size{};
        if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) continue;
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = size.bmWidth, format.bmiHeader.biHeight = size.bmHeight;
        format.bmiHeader.biPlanes = 1, format.bmiHeader.biBitCount = 32;
        std::string rows(size.bmWidth * size.bmHeight * 4, '\0');
        GetDIBits(screen, bitmap, 0, size.bmHeight, rows.data(), &format, DIB_RGB_COLORS);
        bits += rows;
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    return bits;
}

unsigned Number(const std::string& bytes, std::size_t offset, std::size_t size) {
    unsigned value = 0;
    std::memcpy(&value, bytes.data() + offset, size);
    return value;
}

// A monochrome icon keeps its depth of 1; Wine keeps any colour icon at the screen's 32 bits.
TEST(IconFileTest, SavedIconsHaveOneImageAndLoadBackPixelForPixel) {
    std::vector<BYTE> mask(32 * 4), image(32 * 4);
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = i / 16 % 2 ? 0xFF : 0, image[i] = BYTE(i * 37);
    struct Case {
        const char* name;
        HICON icon;
        unsigned depth;
    };
    const Case cases[] = {
        {"system library icon", ExtractIconA(nullptr, "C:\\windows\\system32\\SHELL32.DLL", 0), 32},
        {"monochrome icon", CreateIcon(nullptr, 32, 32, 1, 1, mask.data(), image.data()), 1},
    };
    const std::string path =
        (std::filesystem::temp_directory_path() / "iconlane-layer-test.ico").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string expected = BitsOf(c.icon);
        ASSERT_FALSE(expected.empty());
        Win32Pictures().SaveIconFile(*IconPicture::Owning(c.icon), path);
        std::ifstream in(path, std::ios::binary);
        const std::string file((std::istreambuf_iterator<char>(in)), {});
        ASSERT_GT(file.size(), 62u);
        // Icon file, one image: 32 x 32, its depth, size, offset; image and mask 64 rows high.
        const unsigned size = file.size() - 22,
                       fields[][3] = {{0, 4, 0x10000},  {4, 2, 1},       {6, 2, 0x2020},
                                      {12, 2, c.depth}, {14, 4, size},   {18, 4, 22},
                                      {30, 4, 64},      {36, 2, c.depth}};
        for (const auto& [offset, bytes, value] : fields)
            EXPECT_EQ(Number(file, offset, bytes), value) << "at byte " << offset;
        HICON loaded = static_cast<HICON>(
            LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
        EXPECT_TRUE(BitsOf(loaded) == expected) << "pixels or mask differ";
        DestroyIcon(loaded);
    }
    std::filesystem::remove(path);
}

// Keys made through HKEY_CLASSES_ROOT land in HKEY_LOCAL_MACHINE\Software\Classes under Wine.
TEST(Win32RegistryTest, DefaultValuesOfUpTo259CharactersAreRead) {
    struct Case {
        const char* key;
        std::optional<std::string> stored;
        bool read;
    };
    const Case cases[] = {
        {"259", std::string(259, 'a') + '\0', true},
        {"260", std::string(260, 'b') + '\0', false},
        {"empty", std::string(1, '\0'), true},
        {"no value", std::nullopt, false},
    };
    const std::string root = "IconlaneLayerTest";
    for (const Case& c : cases) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, (root + "\\" + c.key).c_str(), &key),
                  ERROR_SUCCESS);
        if (c.stored)
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(c.stored->data()),
                           c.stored->size());
        RegCloseKey(key);
        EXPECT_EQ(Win32Registry().ReadClassesRootDefault(root + "\\" + c.key),
                  c.read ? c.stored : std::nullopt)
            << c.key;
    }
    EXPECT_EQ(Win32Registry().ReadClassesRootDefault(root + "\\missing"), std::nullopt);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, root.c_str());
}

}  // namespace
}  // namespace iconlane::win32
