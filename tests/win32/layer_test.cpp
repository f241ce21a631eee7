// What the Win32 layer does that no scenario sees: the icon files it writes, the shell's picture
// of a folder, the 260-character buffer it reads registry values into, the names its directory
// search refuses, files read while another program replaces them, the session lock, a watched
// folder that is deleted and made again or given a sub-folder, and the names desktop.ini files
// and indirect strings give.
#include <gtest/gtest.h>
#include <windows.h>
// The shell's shortcut object needs windows.h first.
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "names/shownnames.h"
#include "platform/errors.h"
#include "platform/win32/pictures/pictures.h"
#include "platform/win32/system/files.h"
#include "platform/win32/system/folderwatch.h"
#include "platform/win32/system/namesources.h"
#include "platform/win32/system/runtime.h"
#include "platform/win32/system/sessionlock.h"
#include "platform/win32/system/widetext.h"
#include "scratch.h"

namespace iconlane::win32 {
namespace {

// An icon's colour and mask bitmaps, as the system holds them.
std::string BitsOf(std::uintptr_t icon) {
    ICONINFO info{};
    if (!GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return {};
    std::string bits;
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        BITMAP size{};
        GetObjectA(bitmap, sizeof size, &size);
        std::string rows(size.bmWidthBytes * size.bmHeight, '\0');
        GetBitmapBits(bitmap, static_cast<LONG>(rows.size()), rows.data());
        bits += rows;
        DeleteObject(bitmap);
    }
    return bits;
}

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
        const std::string file = Contents(folder.Path("1.ico"));
        // clang-format off
        const unsigned fields[][3] = {{0, 4, 0x10000}, {4, 2, 1}, {6, 2, 0x2020}, {12, 2, depth},
            {14, 4, unsigned(file.size() - 22)}, {18, 4, 22}, {30, 4, 64}, {36, 2, depth}};
        // clang-format on
        for (const auto& [offset, bytes, expected] : fields) {
            unsigned value = 0;
            std::memcpy(&value, file.data() + offset, file.size() > 62 ? bytes : 0);
            EXPECT_EQ(value, expected) << "at byte " << offset << " of a " << depth << "-bit icon";
        }
    }
}

// The icon an entry shows is the one extracted: its cache file must hold exactly its pixels, and
// is left alone when it already does.
TEST(IconFileTest, TheCacheFileHoldsTheShownIconAndIsWrittenOnlyWhenItDiffers) {
    const std::pair<int, bool> cases[] = {{-1, true}, {1, true}, {0, false}};  // earlier icon
    const std::string library = Win32Pictures().SystemDirectory() + "\\SHELL32.DLL";
    ScratchFolder folder;
    Win32Pictures pictures;
    const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(9999);
    for (const auto& [earlierIcon, written] : cases) {
        const std::string path = folder.Path(std::to_string(earlierIcon) + ".ico");
        if (earlierIcon >= 0) {
            pictures.SaveIconFile(*pictures.ExtractIconPicture(library, earlierIcon), path);
            std::filesystem::last_write_time(path, longAgo);
        }
        PicturePtr shown = pictures.ExtractIconPicture(library, 0);
        pictures.SaveIconFile(*shown, path);
        EXPECT_EQ(std::filesystem::last_write_time(path) > longAgo + std::chrono::hours(1), written)
            << earlierIcon;
        const std::string bits = BitsOf(shown->Handle());
        EXPECT_FALSE(bits.empty());
        EXPECT_EQ(BitsOf(pictures.LoadPictureFile(path)->Handle()), bits) << earlierIcon;
    }
}

// The shell names where its picture of a folder is, and the icon there can be extracted at the
// tray's size. (Wine 8 reads no usable icon from a folder's desktop.ini: a location that yields
// no icon falls back to the stock folder icon in the portable rule.)
TEST(Win32PicturesTest, TheShellNamesWhereItsPictureOfAFolderIs) {
    ScratchFolder scratch;
    const std::string folder = scratch.Path("Jeux \xC3\xA9t\xC3\xA9");
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
    Win32Pictures pictures;
    const std::optional<IconLocation> location = pictures.ShellIconLocation(folder);
    ASSERT_TRUE(location.has_value());
    EXPECT_TRUE(pictures.ExtractIconPicture(location->file, location->number))
        << location->file << "," << location->number;
    EXPECT_FALSE(pictures.ShellIconLocation(scratch.Path("none")).has_value());
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
}

// Left to the system, < > and " would be wildcards of its own and | would find nothing.
TEST(Win32FileSystemTest, ARefusedNameIsBadFileNameAndAMissingOneFindsNothing) {
    ScratchFolder folder;
    std::ofstream(folder.Path("abc.ico")) << "i";
    const std::tuple<const char*, int, const char*> cases[] = {
        {"a<c.ico", kBadFileName, ""},  {"a>c.ico", kBadFileName, ""},
        {"a|c.ico", kBadFileName, ""},  {"\"abc.ico\"", kBadFileName, ""},
        {"a\tc.ico", kBadFileName, ""}, {"missing.ico", 0, ""},
        {"nowhere\\abc.ico", 0, ""},    {"a?c.*", 0, "abc.ico"}};
    for (const auto& [name, error, found] : cases) {
        std::string match, path = folder.Path(name);
        EXPECT_EQ(
            ErrorOf([&] { match = Win32FileSystem().FindFirst(path, SearchKind::kFilesOnly); }),
            error)
            << name;
        EXPECT_EQ(match, found) << name;
    }
}

// Reading lets another copy of the program rename a new file over the one read (a handle open for
// deleting stands for that rename); a file that is there but cannot be read is no missing file.
TEST(Win32FileSystemTest, AReaderLetsTheFileBeReplacedAndTellsMissingFromLocked) {
    ScratchFolder folder;
    const std::string path = folder.Path("iconids.txt");
    std::ofstream(path) << "7\tline:a";
    const std::tuple<DWORD, DWORD, int> cases[] = {
        {DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0},
        {GENERIC_READ, 0, kPermissionDenied}};
    for (const auto& [access, sharing, error] : cases) {
        HANDLE other = CreateFileW(std::filesystem::path(path).c_str(), access, sharing, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        std::string read;
        EXPECT_EQ(ErrorOf([&] { read = Win32FileSystem().ReadFileStart(path, 3); }), error);
        EXPECT_EQ(read, error == 0 ? "7\tl" : "");
        CloseHandle(other);
    }
    EXPECT_EQ(ErrorOf([&] { Win32FileSystem().ReadFile(folder.Path("none.txt")); }), kFileNotFound);
}

// A session lock is had by one holder at a time, and at once when its holder ended holding it.
TEST(SessionLockTest, OneHolderAtATimeAndAnAbandonedLockIsHad) {
    const std::string name = "Iconlane.layertest." + std::to_string(GetCurrentProcessId());
    Win32SessionLocks locks;
    auto elsewhere = [&](const std::function<void()>& run) { std::thread(run).join(); };
    std::unique_ptr<SessionLock> held = locks.Hold(name, 0);
    ASSERT_NE(held, nullptr);
    bool had = true;
    elsewhere([&] { had = locks.Hold(name, 50) != nullptr; });
    EXPECT_FALSE(had) << "held twice";
    held.reset();
    HANDLE mutex = nullptr;
    elsewhere([&] {  // a copy of the program that ends while it holds the lock
        mutex = CreateMutexW(nullptr, FALSE, Wide("Local\\" + name).c_str());
        WaitForSingleObject(mutex, 0);
    });
    EXPECT_NE(locks.Hold(name, 1000), nullptr) << "abandoned";
    CloseHandle(mutex);
}

// The watch follows the folder back: it lets go of a folder that went, whose handle would see
// nothing of a new one, and a file or sub-folder made in the new folder is seen and settles.
TEST(FolderWatchTest, AFolderDeletedAndMadeAgainIsWatchedAgainAndItsSubFoldersSeen) {
    ScratchFolder scratch;
    const std::string lane = scratch.Path("lane");
    CreateDirectoryA(lane.c_str(), nullptr);
    FolderWatch watch;
    bool seen = false;
    int settled = 0;
    ASSERT_TRUE(watch.Start(lane, 50, [&] {
        seen = GetFileAttributesA((lane + "\\a.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
        return ++settled, true;
    }));
    const auto serveUntil = [&](const std::function<bool()>& done) {
        for (ULONGLONG end = GetTickCount64() + 3000; !done() && GetTickCount64() < end;) {
            HANDLE handles[2] = {};
            const DWORD count = watch.Handles(handles);
            const DWORD waited = WaitForMultipleObjects(count, handles, FALSE, 20);
            waited < count ? watch.OnSignalled(handles[waited]) : watch.OnTimeout();
        }
        return done();
    };
    HANDLE handles[2] = {};
    // Moved away, as a folder deleted while its handle is open goes once the handle lets go.
    MoveFileA(lane.c_str(), scratch.Path("old").c_str());
    EXPECT_TRUE(serveUntil([&] { return watch.Handles(handles) == 1; })) << "still on the old";
    CreateDirectoryA(lane.c_str(), nullptr), std::ofstream(lane + "\\a.txt") << "x";
    EXPECT_TRUE(serveUntil([&] { return seen; })) << "the new folder is not watched";
    EXPECT_EQ(watch.Handles(handles), 2u);
    const int before = settled;
    CreateDirectoryA((lane + "\\Games").c_str(), nullptr);
    EXPECT_TRUE(serveUntil([&] { return settled > before; })) << "a sub-folder made is not seen";
}

// shell32's strings as Windows' shortcuts name them (the path's variables expanded: Wine's
// SHLoadIndirectString expands none); desktop.ini in UTF-16 as Explorer writes it, and in ANSI.
TEST(NameSourcesTest, IndirectStringsAndDesktopIniFilesAsWindowsWritesThem) {
    Win32NameSources sources;
    // clang-format off
    const std::pair<const char*, const char*> strings[] = {
        {"@%SystemRoot%\\system32\\shell32.dll,-22", "Control Panel"}, {"@shell32.dll,-20", "Desktop"},
        {"@%windir%\\system32\\SHELL32.dll,-21;v2", "My Computer"},
        {"@C:\\windows\\system32\\shell32.dll,-46", "Documents"},
        {"@%windir%\\system32\\FXSRESM.dll,-121", ""}, {"@shell32.dll,-64999", ""},
        {"@{Microsoft.Photos_8wekyb3d8bbwe?ms-resource://Microsoft.Photos/Resources/AppName}", ""}};
    // clang-format on
    for (const auto& [text, shown] : strings) EXPECT_EQ(ResolvedText(text, sources), shown) << text;
    ScratchFolder folder;
    CreateDirectoryA(folder.Path("Tools").c_str(), nullptr);
    folder.File("Tools\\desktop.ini", "[.ShellClassInfo]\r\nLocalizedResourceName=Caf\xE9 au lait");
    const std::wstring unicode =
        L"\xFEFF[LocalizedFileNames]\r\nShows Desktop.lnk=@%SystemRoot%"
        L"\\system32\\shell32.dll,-22\r\n\x00E9t\x00E9 \x0416.lnk=\"  \x0416 \"";
    folder.File("desktop.ini", std::string(reinterpret_cast<const char*>(unicode.data()),
                                           unicode.size() * sizeof(wchar_t)));
    FolderNames given(sources, folder.path_);
    const std::tuple<std::string, bool, std::string> names[] = {
        {"Shows Desktop.lnk", false, "Control Panel"},
        {"\xC3\x89T\xC3\x89 \xD0\x96.LNK", false, "  \xD0\x96 "},  // ÉTÉ Ж.LNK: "  Ж "
        {"Tools", true, "Caf\xC3\xA9 au lait"},
        {"none.lnk", false, ""}};
    for (const auto& [name, sub, shown] : names)
        EXPECT_EQ(given.GivenName({name, sub}), shown) << name;
}

}  // namespace
}  // namespace iconlane::win32
