// What the Win32 layer does that no scenario sees: the bytes of the icon files it writes, and the
// 260-byte buffer it reads registry values into.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "scratch_folder.h"

namespace iconlane::win32 {
namespace {

// One image of 32 x 32 at its depth (1 for a monochrome icon; Wine keeps colour ones at 32 bits),
// its size and offset, then its header counting image and mask as 64 rows.
TEST(IconFileTest, AnIconFileHoldsOneImageAtTheIconsDepth) {
    BYTE mask[32 * 4] = {}, image[32 * 4] = {};
    const std::pair<HICON, unsigned> icons[] = {
        {ExtractIconA(nullptr, "C:\\windows\\system32\\SHELL32.DLL", 0), 32},
        {CreateIcon(nullptr, 32, 32, 1, 1, mask, image), 1}};
    ScratchFolder folder;
    for (const auto& [icon, depth] : icons) {
        Win32Pictures().SaveIconFile(*IconPicture::Owning(icon), folder.Path("1.ico"));
        std::ifstream in(folder.Path("1.ico"), std::ios::binary);
        const std::string file((std::istreambuf_iterator<char>(in)), {});
        const unsigned fields[][3] = {{0, 4, 0x10000},
                                      {4, 2, 1},
                                      {6, 2, 0x2020},
                                      {12, 2, depth},
                                      {14, 4, unsigned(file.size() - 22)},
                                      {18, 4, 22},
                                      {30, 4, 64},
                                      {36, 2, depth}};
        for (const auto& [offset, bytes, expected] : fields) {
            unsigned value = 0;
            std::memcpy(&value, file.data() + offset, file.size() > 62 ? bytes : 0);
            EXPECT_EQ(value, expected) << "at byte " << offset << " of a " << depth << "-bit icon";
        }
    }
}

// Keys made through HKEY_CLASSES_ROOT land in HKEY_LOCAL_MACHINE\Software\Classes under Wine.
TEST(Win32RegistryTest, DefaultValuesOfUpTo259CharactersAreRead) {
    const std::pair<std::optional<std::string>, bool> values[] = {
        {std::string(259, 'a') + '\0', true},
        {std::string(260, 'b') + '\0', false},
        {std::string(1, '\0'), true},
        {std::nullopt, false}};
    for (const auto& [value, read] : values) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "IconlaneLayerTest", &key), ERROR_SUCCESS);
        if (value) RegSetValueExA(key, nullptr, 0, REG_SZ, LPBYTE(value->data()), value->size());
        RegCloseKey(key);
        EXPECT_EQ(Win32Registry().ReadClassesRootDefault("IconlaneLayerTest"),
                  read ? value : std::nullopt)
            << (value ? value->size() : 0) << " bytes";
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "IconlaneLayerTest");
    }
    EXPECT_EQ(Win32Registry().ReadClassesRootDefault("IconlaneLayerTest"), std::nullopt);
}

}  // namespace
}  // namespace iconlane::win32
