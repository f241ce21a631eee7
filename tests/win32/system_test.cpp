// The Win32 layer where it meets the system and other programs: text that reaches the system whole
// without the UTF-8 code page (this program has no manifest: its code page is the system's legacy
// one), lists claimed and handed over between copies of the program, the claim on a hot key the
// system refuses, and a shell that answers late.
#include <gtest/gtest.h>
#include <windows.h>
// The shell's shortcut object needs windows.h first.
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/textreader.h"
#include "platform/win32/pictures/itempicture.h"
#include "platform/win32/pictures/pictures.h"
#include "platform/win32/pictures/shortcuts.h"
#include "platform/win32/runninglists.h"
#include "platform/win32/system/files.h"
#include "platform/win32/system/hotkeys.h"
#include "platform/win32/system/runtime.h"
#include "platform/win32/system/sessionlock.h"
#include "platform/win32/tray/trayshell.h"
#include "platform/win32/windowsystem.h"
#include "scratch.h"
#include "tray/trayicons.h"

namespace iconlane::win32 {
namespace {

// The shell reads the shortcut from a pipe, and so waits until the test writes it: it asks once,
// however often and at whatever size the tray asks meanwhile, and its late answer is announced
// from the loop and taken there at once.
TEST(ItemPicturesTest, AShellThatHangsIsAskedOnceAndItsLateAnswerIsTaken) {
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
    for (int size : {16, 16, 24}) EXPECT_EQ(pictures.Ask(pipe, size), nullptr);
    EXPECT_EQ(opened(), 1) << "asked again while the shell had not answered";
    // A shortcut to the computer as Windows writes one, down the pipe the shell opened.
    std::string data = std::getenv("ICONLANE_E2E_DATA");
    std::replace(data.begin(), data.end(), '/', '\\');
    const std::string bytes = Contents("Z:" + data + "\\shortcuts\\Item.lnk");
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

// A hand-over reaches every tray window; only the holder of that list takes it, from its claim on
// (before it has icons), and reads the list again only from the program's own loop.
TEST(RunningListsTest, AHandOverIsServedByTheHolderOfThatListAlone) {
    const std::string key = "line layer " + std::to_string(GetTickCount64());
    Win32WindowSystem windows[2];
    std::vector<std::unique_ptr<Win32RunningLists>> lists;
    int reloads[2] = {};
    for (int n = 0; n < 2; ++n) {
        lists.push_back(std::make_unique<Win32RunningLists>(windows[n]));
        ASSERT_TRUE(lists[n]->Claim(key + std::to_string(n), [&reloads, n] { ++reloads[n]; }));
    }
    EXPECT_TRUE(Win32RunningLists(windows[0]).HandOver(key + "1"));
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    EXPECT_EQ(reloads[1], 0) << "served outside the program's own loop";
    for (auto& list : lists) list->OnTimeout(), list->OnTimeout();
    EXPECT_EQ(std::pair(reloads[0], reloads[1]), std::pair(0, 1));
}

// A holder that reads no messages (it hangs) is told apart after a wait (here a short one).
TEST(RunningListsTest, AHandOverToAHolderThatHangsFailsAfterAWait) {
    const std::string key = "line hung " + std::to_string(GetTickCount64());
    UniqueKernel claimed(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        answer(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        Win32WindowSystem windows;
        Win32RunningLists lists(windows);
        EXPECT_TRUE(lists.Claim(key, [] {}));
        SetEvent(claimed.Get()), WaitForSingleObject(answer.Get(), 10000);
    });
    WaitForSingleObject(claimed.Get(), 10000);
    Win32WindowSystem windows;
    EXPECT_FALSE(Win32RunningLists(windows, 300).HandOver(key));
    SetEvent(answer.Get()), holder.join();
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

// A new shortcut opens its target; a name something has already is refused and left as it was.
TEST(ShortcutsTest, ANewShortcutOpensItsTargetAndNeverOverwrites) {
    ScratchFolder scratch;
    Win32Shortcuts shortcuts;
    const std::string target = scratch.File("My plans.txt"), link = scratch.Path("plans.lnk");
    shortcuts.MakeShortcut(link, target);
    EXPECT_EQ(shortcuts.ReadShortcut(link)->target, target);
    EXPECT_EQ(ErrorOf([&] { shortcuts.MakeShortcut(link, scratch.File("other.txt")); }), 58);
    EXPECT_EQ(shortcuts.ReadShortcut(link)->target, target);
    EXPECT_EQ(ErrorOf([&] { shortcuts.MakeShortcut(scratch.Path("none\\x.lnk"), target); }), 53);
}

}  // namespace
}  // namespace iconlane::win32
