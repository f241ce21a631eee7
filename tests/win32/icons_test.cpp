// Icon files, icon pictures and file-type lookups on the real Windows API: icons written as ICO
// files and loaded back, files replaced whole, and default values read from real registry keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/iconfile.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "scratch_folder.h"

namespace iconlane::win32 {
namespace {

// What an icon shows, read through GetIconInfo: its size, the depth of its colour bitmap (0 for
// a monochrome icon, which has none), its colours as 32-bit pixels and its mask as 1-bit rows.
struct IconImage {
    int width = 0, height = 0, depth = 0;
    std::vector<std::uint8_t> colour, mask;
};

std::vector<std::uint8_t> DibRows(HBITMAP bitmap, int width, int height, WORD bitsPerPixel) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD palette[2];
    } format{{sizeof(BITMAPINFOHEADER), width, height, 1, bitsPerPixel, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::vector<std::uint8_t> rows(((width * bitsPerPixel + 31) / 32) * 4 * height);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, height, rows.data(),
                          reinterpret_cast<BITMAPINFO*>(&format), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == height ? rows : std::vector<std::uint8_t>{};
}

IconImage ReadIcon(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    IconImage image;
    BITMAP mask{}, colour{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    image.width = mask.bmWidth;
    image.height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
    image.mask = DibRows(info.hbmMask, mask.bmWidth, mask.bmHeight, 1);
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof colour, &colour)) {
        image.depth = colour.bmBitsPixel;
        image.colour = DibRows(info.hbmColor, image.width, image.height, 32);
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return image;
}

// A side x side icon made with CreateIcon from raw bits: a varied pattern of colours (black and
// white at 1 bit per pixel), with a mask that lets every fourth row show through.
HICON PatternIcon(int side, BYTE bitsPerPixel) {
    const int maskRow = (side + 15) / 16 * 2, imageRow = (side * bitsPerPixel + 15) / 16 * 2;
    std::vector<BYTE> mask(maskRow * side), image(imageRow * side);
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = i / maskRow % 4 == 0 ? 0xFF : 0;
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<BYTE>(i * 37 + i / 5);
    return CreateIcon(nullptr, side, side, 1, bitsPerPixel, mask.data(), image.data());
}

std::string SystemLibrary() {
    return Win32Pictures().SystemDirectory() + "\\SHELL32.DLL";
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

WORD WordAt(const std::string& bytes, std::size_t offset) {
    WORD word = 0;
    if (offset + sizeof word <= bytes.size())
        std::memcpy(&word, bytes.data() + offset, sizeof word);
    return word;
}

// The file records the depth of the icon's colour bitmap, 1 for a monochrome icon. Wine keeps
// every colour icon's bitmap at the screen's depth (32 bits here), so of the 4-bit icon its
// colours and mask survive, not its depth.
TEST(IconFileTest, SavedIconLoadsBackWithItsSizeDepthColoursAndMask) {
    struct Case {
        const char* name;
        std::function<HICON()> make;
    };
    const Case cases[] = {
        {"system library icon 0",
         [] { return ExtractIconA(GetModuleHandleA(nullptr), SystemLibrary().c_str(), 0); }},
        {"4-bit icon", [] { return PatternIcon(16, 4); }},
        {"monochrome icon", [] { return PatternIcon(32, 1); }},
    };
    ScratchFolder folder;
    Win32Pictures pictures;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PicturePtr original = IconPicture::Owning(c.make());
        const IconImage expected = ReadIcon(reinterpret_cast<HICON>(original->Handle()));
        ASSERT_FALSE(expected.mask.empty() || (expected.depth && expected.colour.empty()))
            << "no icon to start from";
        const std::string path = folder.Path(std::string(c.name) + ".ico");
        pictures.SaveIconFile(*original, path);

        const std::string file = FileBytes(path);
        const int depth = expected.depth == 0 ? 1 : expected.depth;
        EXPECT_EQ(WordAt(file, 2), 1) << "not an icon file";
        EXPECT_EQ(WordAt(file, 6 + 6), depth) << "bit count in the directory entry";
        EXPECT_EQ(WordAt(file, 22 + 14), depth) << "bit count in the image header";

        HICON loaded = static_cast<HICON>(
            LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
        ASSERT_NE(loaded, nullptr) << "LoadImageA refused " << path;
        const IconImage actual = ReadIcon(loaded);
        DestroyIcon(loaded);
        EXPECT_EQ(actual.width, expected.width);
        EXPECT_EQ(actual.height, expected.height);
        EXPECT_TRUE(actual.colour == expected.colour) << "colour pixels differ";
        EXPECT_TRUE(actual.mask == expected.mask) << "mask differs";
    }
}

std::vector<std::string> FolderContents(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(IconFileTest, WriteFileReplacingLeavesExactlyTheNewBytesAndNoTemporaryFile) {
    const std::string contents[] = {std::string(5000, 'L'), "short\0with zero", "", "last"};
    ScratchFolder folder;
    const std::string path = folder.Path("1.ico");
    for (const std::string& bytes : contents) {
        WriteFileReplacing(path, bytes);
        EXPECT_EQ(FileBytes(path), bytes);
        EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{"1.ico"});
    }
    int error = 0;
    try {
        WriteFileReplacing(folder.Path("missing\\2.ico"), "x");
    } catch (const RuntimeError& failure) {
        error = failure.Number();
    }
    EXPECT_EQ(error, kFileNotFound);
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{"1.ico"});
}

TEST(IconPictureTest, OwningPicturesDestroyTheirIconAndSharedOnesDoNot) {
    struct Case {
        const char* name;
        std::function<PicturePtr(HICON)> wrap;
        bool destroysIcon;
    };
    const Case cases[] = {
        {"OLE picture", IconToPicture, true},
        {"owning picture", IconPicture::Owning, true},
        {"shared picture", IconPicture::Shared, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HICON icon = PatternIcon(32, 1);
        ASSERT_GT(ReadIcon(icon).width, 0);
        {
            PicturePtr picture = c.wrap(icon);
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->Handle(), reinterpret_cast<std::uintptr_t>(icon));
            EXPECT_EQ(ReadIcon(reinterpret_cast<HICON>(picture->Handle())).width, 32);
        }
        EXPECT_EQ(ReadIcon(icon).width, c.destroysIcon ? 0 : 32) << "GetIconInfo afterwards";
        EXPECT_EQ(DestroyIcon(icon) == FALSE, c.destroysIcon) << "DestroyIcon afterwards";
    }
    EXPECT_EQ(IconToPicture(nullptr), nullptr);
}

// Removes a key made through HKEY_CLASSES_ROOT, with everything under it. Wine 8 does not show
// HKEY_CURRENT_USER\Software\Classes in HKEY_CLASSES_ROOT; keys made through the latter land in
// HKEY_LOCAL_MACHINE\Software\Classes.
struct RemovedClassesKey {
    std::string name;
    ~RemovedClassesKey() { RegDeleteTreeA(HKEY_CLASSES_ROOT, name.c_str()); }
};

// Makes the key with `bytes` as its default value (none for nothing); true when done.
bool MakeClassesKey(const std::string& name, const std::optional<std::string>& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, name.c_str(), &key) != ERROR_SUCCESS) return false;
    const LONG set = bytes ? RegSetValueExA(key, nullptr, 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(bytes->data()),
                                            static_cast<DWORD>(bytes->size()))
                           : ERROR_SUCCESS;
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

// Printable text of the given length, ending in its NUL.
std::string Text(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('!' + i % 90);
    return text + '\0';
}

TEST(Win32RegistryTest, DefaultValueReadsAsItsBytesUpTo260) {
    struct Case {
        const char* key;
        std::optional<std::string> stored;  // the default value's bytes; nothing: no value
        bool readable;
    };
    const Case cases[] = {
        {"type", std::string("txtfile\0", 8), true},
        {"259", Text(259), true},  // 260 bytes with the NUL
        {"260", Text(260), false},
        {"empty", std::string(1, '\0'), true},
        {"zero bytes", std::string(), true},
        {"no value", std::nullopt, false},
    };
    const std::string root = "IconlaneTest" + std::to_string(GetCurrentProcessId());
    Win32Registry registry;
    {
        RemovedClassesKey removed{root};
        for (const Case& c : cases) {
            ASSERT_TRUE(MakeClassesKey(root + "\\" + c.key, c.stored)) << c.key;
            EXPECT_EQ(registry.ReadClassesRootDefault(root + "\\" + c.key),
                      c.readable ? c.stored : std::nullopt)
                << c.key;
        }
        EXPECT_EQ(registry.ReadClassesRootDefault(root + "\\missing"), std::nullopt);
    }
    EXPECT_EQ(registry.ReadClassesRootDefault(root + "\\type"), std::nullopt) << "left behind";
}

}  // namespace
}  // namespace iconlane::win32
