// What the Win32 layer does that no scenario sees: the icon files it writes, the shell's picture
// of a folder, the 260-character buffer it reads registry values into, the names its directory
// search refuses, a watched folder that is deleted and made again or given a sub-folder, how lists
// are claimed and handed over, and the claim on a hot key that the system refuses.
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

#include "platform/errors.h"
#include "platform/textreader.h"
#include "platform/win32/folderwatch.h"
#include "platform/win32/hotkeys.h"
#include "platform/win32/itempicture.h"
#include "platform/win32/runninglists.h"
#include "platform/win32/sessionlock.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "platform/win32/widetext.h"
#include "tray/trayicons.h"

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

int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

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

// The shell reads the shortcut from a pipe, and so waits until the test writes it: it asks once,
// however often and at whatever size the tray asks meanwhile, and its late answer is announced
// from the loop and taken there at once.
TEST(ItemPicturesTest, AShellThatHangsIsAskedOnceAndItsLateAnswerIsTaken) {
    ScratchFolder scratch;
    const std::wstring pipe = L"\\\\.\\pipe\\iconlane_item_" + std::to_wstring(GetTickCount64());
    HANDLE ends[2], connected[2];  // two ends the shell's threads could open, one each
    OVERLAPPED waits[2] = {};
    for (int n = 0; n < 2; ++n) {
        ends[n] = CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE, 2, 1 << 16, 1 << 16, 0, nullptr);
        waits[n].hEvent = connected[n] = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ConnectNamedPipe(ends[n], &waits[n]);
    }
    const auto opened = [&] {
        return (WaitForSingleObject(connected[0], 0) == WAIT_OBJECT_0) +
               (WaitForSingleObject(connected[1], 0) == WAIT_OBJECT_0);
    };
    ItemPictures pictures;
    std::vector<std::wstring> announced;
    HICON taken = nullptr;
    pictures.WhenArrived([&](const std::wstring& path) {
        announced.push_back(path);
        taken = pictures.Ask(path, 16);
    });
    EXPECT_EQ(pictures.Ask(pipe, 16), nullptr);
    for (int size : {16, 24}) EXPECT_EQ(pictures.Ask(pipe, size), nullptr);
    EXPECT_EQ(opened(), 1) << "asked again while the shell had not answered";
    // A shortcut to the computer, as the shell saves one, down the pipe the shell opened.
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    LPITEMIDLIST computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)) &&
                SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
                SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
    link->SetIDList(computer), ILFree(computer);
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    const std::string saved = scratch.Path("computer.lnk");
    EXPECT_EQ(file->Save(std::wstring(saved.begin(), saved.end()).c_str(), TRUE), S_OK);
    file->Release(), link->Release(), CoUninitialize();
    const std::string bytes = Contents(saved);
    const HANDLE shell = ends[WaitForSingleObject(connected[0], 0) == WAIT_OBJECT_0 ? 0 : 1];
    DWORD written = 0;
    OVERLAPPED write{};
    write.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WriteFile(shell, bytes.data(), DWORD(bytes.size()), &written, &write);
    for (ULONGLONG end = GetTickCount64() + 5000; announced.empty() && GetTickCount64() < end;) {
        HANDLE handles[kMaxLoopHandles] = {};
        const DWORD count = pictures.Handles(handles);
        if (count > 0 && WaitForMultipleObjects(count, handles, FALSE, 20) < count)
            pictures.OnSignalled(handles[0]);
    }
    EXPECT_EQ(announced, std::vector<std::wstring>{pipe});
    EXPECT_NE(taken, nullptr) << "the late picture was not taken";
    DestroyIcon(taken);
    for (HANDLE handle : {ends[0], ends[1], connected[0], connected[1], write.hEvent})
        CloseHandle(handle);
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
        slots.push_back(windows[n].CreateTraySlot(1, events));
    }
    Win32RunningLists(windows[0]).HandOver(key + "1");
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    EXPECT_EQ(reloads[1], 0) << "served outside the program's own loop";
    for (auto& list : lists) list->OnTimeout(), list->OnTimeout();
    EXPECT_EQ(reloads[0], 0);
    EXPECT_EQ(reloads[1], 1);
}

// Without the UTF-8 code page (which Windows before 10 version 1903 ignores), a folder named
// "Café" holds a program the shell starts (the witness writes launches.txt beside itself), an
// icon file, and a batch file saved in the legacy code page, which reads as the editor meant it.
TEST(WideTextTest, PathsWithAccentsReachTheSystemWhole) {
    ASSERT_NE(GetACP(), UINT{CP_UTF8}) << "the process must not run with the UTF-8 code page";
    ScratchFolder scratch;
    const std::string cafe = scratch.Path("Caf\xC3\xA9");
    const auto at = [&](const char* name) { return std::filesystem::u8path(cafe + "\\" + name); };
    std::filesystem::create_directory(std::filesystem::u8path(cafe));
    std::string marker = std::getenv("ICONLANE_E2E_MARKER");
    std::replace(marker.begin(), marker.end(), '/', '\\');
    std::filesystem::copy_file("Z:" + marker, at("marker.exe"));
    EXPECT_GT(Win32Shell().OpenTarget(cafe + "\\marker.exe"), 32);
    for (ULONGLONG end = GetTickCount64() + 10000;
         !std::filesystem::exists(at("launches.txt")) && GetTickCount64() < end;)
        Sleep(20);
    EXPECT_TRUE(std::filesystem::exists(at("launches.txt"))) << "the program was not started";

    Win32Pictures pictures;
    const std::string library = pictures.SystemDirectory() + "\\SHELL32.DLL";
    pictures.SaveIconFile(*pictures.ExtractIconPicture(library, 0), scratch.Path("1.ico"));
    std::filesystem::copy_file(scratch.Path("1.ico"), at("own.ico"));
    EXPECT_NE(pictures.LoadPictureFile(cafe + "\\own.ico")->Handle(), 0u);

    std::ofstream(at("lane.txt"), std::ios::binary) << "Caf\xE9 au lait";
    EXPECT_EQ(TextOfFile(Win32FileSystem().ReadFile(cafe + "\\lane.txt"), Win32Process()),
              "Caf\xC3\xA9 au lait");
}

// Wine's tray gets each Shell_NotifyIcon call as WM_COPYDATA (window, id, flags, message, then
// the tip in 128 UTF-16 characters): a window of its class in front of it takes the tip.
LRESULT CALLBACK TipSpy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tip = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || tip == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    const auto* data = static_cast<const char*>(reinterpret_cast<COPYDATASTRUCT*>(lParam)->lpData);
    *tip = reinterpret_cast<const wchar_t*>(data + 16);
    return TRUE;
}

// Accents, and characters beyond 16 bits (two UTF-16 characters each, never split), reach the
// tray whole; a long plain tip shows its first 64 characters.
TEST(WideTextTest, TooltipsReachTheTrayWhole) {
    ASSERT_NE(GetACP(), UINT{CP_UTF8}) << "the process must not run with the UTF-8 code page";
    const WNDCLASSW spyClass{0,       &TipSpy, 0,       0,       nullptr,
                             nullptr, nullptr, nullptr, nullptr, L"Shell_TrayWnd"};
    RegisterClassW(&spyClass);
    HWND spy = CreateWindowExW(WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, nullptr, nullptr);
    std::wstring tip;
    SetWindowLongPtrW(spy, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tip));
    std::string smiles;
    std::wstring wideSmiles;
    for (int n = 0; n < 16; ++n) smiles += "\xF0\x9F\x98\x80", wideSmiles += L"\xD83D\xDE00";
    const std::pair<std::string, std::wstring> tips[] = {
        {"Caf\xC3\xA9 au lait", L"Caf\xE9 au lait"},
        {smiles + "x", wideSmiles},  // 64 bytes and a 65th: cut before it
        {std::string(70, 't'), std::wstring(64, L't')}};
    for (const auto& [text, shown] : tips) {
        TrayRecord record;
        record.hWnd = reinterpret_cast<std::uintptr_t>(spy);
        record.uID = 1;
        record.uFlags = NIF_TIP;
        record.szTip = FormTip(text);
        tip.clear();
        EXPECT_TRUE(Win32TrayShell().NotifyIcon(TrayOperation::kModify, record));
        EXPECT_TRUE(tip == shown) << text;
    }
    DestroyWindow(spy);
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
