// What the Win32 layer does that no scenario sees: the icon files it writes, the 260-byte buffer
// it reads registry values into, the names its directory search refuses, a watched folder
// that is deleted and made again, how lists are claimed and handed over, and the claim on a hot
// key that the system refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "platform/errors.h"
#include "platform/win32/folderwatch.h"
#include "platform/win32/hotkeys.h"
#include "platform/win32/runninglists.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"

namespace iconlane::win32 {
namespace {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
struct ScratchFolder {
    ScratchFolder() { std::filesystem::create_directory(path_); }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string Path(const std::string& name) const { return path_ + "\\" + name; }
    const std::string path_ = (std::filesystem::temp_directory_path() /
                               ("iconlane_w32_" + std::to_string(GetTickCount64())))
                                  .string();
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

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
        std::string match;
        int failure = 0;
        try {
            match = Win32FileSystem().FindFirst(folder.Path(name), SearchKind::kFilesOnly);
        } catch (const RuntimeError& refused) {
            failure = refused.Number();
        }
        EXPECT_EQ(failure, error) << name;
        EXPECT_EQ(match, found) << name;
    }
}

// The watch follows the folder back: it lets go of a folder that went, whose handle would see
// nothing of a new one, and a file written into the new folder is seen and settles.
TEST(FolderWatchTest, AFolderDeletedAndMadeAgainIsWatchedAgain) {
    ScratchFolder scratch;
    const std::string lane = scratch.Path("lane");
    CreateDirectoryA(lane.c_str(), nullptr);
    FolderWatch watch;
    bool seen = false;
    ASSERT_TRUE(watch.Start(lane, 50, [&] {
        seen = GetFileAttributesA((lane + "\\a.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
        return true;
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
}

// A list is held while its holder lives. A name that exists but cannot be opened, as one made by
// an Iconlane running elevated, counts as held.
TEST(RunningListsTest, AListIsHeldWhileItsHolderLivesOrWhenItsNameCannotBeOpened) {
    Win32WindowSystem windows;
    const std::string key = "batch c:\\layer\\" + std::to_string(GetTickCount64());
    const auto claims = [&](const std::string& list) {
        return Win32RunningLists(windows).Claim(list, [] {});
    };
    auto holder = std::make_unique<Win32RunningLists>(windows);
    ASSERT_TRUE(holder->Claim(key, [] {}));
    EXPECT_FALSE(claims(key));
    EXPECT_TRUE(claims(key + "x"));
    holder.reset();
    EXPECT_TRUE(claims(key)) << "not freed";
    SECURITY_DESCRIPTOR locked{};
    ACL none{};
    InitializeSecurityDescriptor(&locked, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&none, sizeof none, ACL_REVISION);
    SetSecurityDescriptorDacl(&locked, TRUE, &none, FALSE);
    SECURITY_ATTRIBUTES elevated{sizeof elevated, &locked, FALSE};
    UniqueKernel other(CreateMutexW(&elevated, FALSE, ClaimName(key).c_str()));
    ASSERT_TRUE(other.Valid());
    EXPECT_FALSE(claims(key));
}

// A hand-over reaches every tray window; only the holder of that list reads it again, and only
// from the program's own loop.
TEST(RunningListsTest, AHandOverIsServedByTheHolderOfThatListAlone) {
    struct NoEvents final : TraySlotEvents {
        void OnTrayMessage(int) override {}
        void OnTimer() override {}
        void OnRetryTimer() override {}
        void OnTaskbarCreated() override {}
        void OnUnload() override {}
    } events;
    const std::string key = "line layer " + std::to_string(GetTickCount64());
    Win32WindowSystem windows[2];
    std::vector<std::unique_ptr<Win32RunningLists>> lists;
    std::vector<std::unique_ptr<TraySlot>> slots;
    int reloads[2] = {};
    for (int n = 0; n < 2; ++n) {
        lists.push_back(std::make_unique<Win32RunningLists>(windows[n]));
        ASSERT_TRUE(lists[n]->Claim(key + std::to_string(n), [&reloads, n] { ++reloads[n]; }));
        slots.push_back(windows[n].CreateTraySlot(1, {}, events));
    }
    Win32RunningLists(windows[0]).HandOver(key + "1");
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    EXPECT_EQ(reloads[1], 0) << "served outside the program's own loop";
    for (auto& list : lists) list->OnTimeout(), list->OnTimeout();
    EXPECT_EQ(reloads[0], 0);
    EXPECT_EQ(reloads[1], 1);
}

// A chord another program holds leaves no claim behind, or it would pass for an Iconlane's: the
// next claim, once the chord is free, holds it. Let go, it is free again.
TEST(HeldChordTest, AChordIsHeldOnceAndARefusedOneLeavesNoClaim) {
    const HotKeyChord chord{kHotKeyControl | kHotKeyShift | kHotKeyAlt, kHotKeyF1 + 12};
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, 0);
    ASSERT_TRUE(RegisterHotKey(nullptr, 9, chord.modifiers, chord.key));  // the other program
    const HeldChord refused(window, chord);  // kept, as the program keeps it while it runs
    EXPECT_EQ(refused.Hold(), HotKeyHold::kTaken);
    UnregisterHotKey(nullptr, 9);
    for (int round = 0; round < 2; ++round) {
        HeldChord first(window, chord);
        EXPECT_EQ(first.Hold(), HotKeyHold::kHeld) << round;
        EXPECT_EQ(HeldChord(window, chord).Hold(), HotKeyHold::kHeldByIconlane) << round;
        EXPECT_FALSE(RegisterHotKey(nullptr, 9, chord.modifiers, chord.key)) << round;
    }
    DestroyWindow(window);
}

}  // namespace
}  // namespace iconlane::win32
