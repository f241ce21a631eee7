// The program's entry point: the real services handed to the portable program.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "platform/win32/exitdialog.h"
#include "platform/win32/helpwindow.h"
#include "platform/win32/namesources.h"
#include "platform/win32/runninglists.h"
#include "platform/win32/sessionlock.h"
#include "platform/win32/shell.h"
#include "platform/win32/shortcuts.h"
#include "platform/win32/system.h"
#include "platform/win32/trayiconrecords.h"
#include "platform/win32/traywindow.h"
#include "startup/startup.h"
#include "tray/iconresolution.h"

namespace {

using namespace iconlane::win32;

// The picture of a file in a menu, by the tray's own rules, found on the menus' worker thread
// with service objects of that thread's own, at the menu's size. Where not even the system has
// one, the program's own icon.
HICON MenuItemPicture(const std::string& path, int pixels) {
    thread_local Win32FileSystem files;
    thread_local Win32Registry registry;
    thread_local Win32Environment environment;
    thread_local Win32Process process;
    thread_local std::map<int, std::unique_ptr<Win32Shortcuts>> shortcuts;
    std::unique_ptr<Win32Shortcuts>& sized = shortcuts[pixels];
    if (!sized) sized = std::make_unique<Win32Shortcuts>(pixels);
    Win32Pictures pictures(pixels);
    const iconlane::PictureSources sources{files, pictures, registry, *sized, environment, process};
    try {
        iconlane::PicturePtr found = iconlane::FindTargetPicture(sources, path, 0);
        return TakeIcon(found ? std::move(found) : pictures.BuiltInIcon());
    } catch (...) {
        return nullptr;  // no picture for this one: the menu shows the item without
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();

    Win32Dialogs dialogs;
    Win32Environment environment;
    Win32Process process;
    Win32FileSystem files;
    Win32Pictures pictures;
    Win32TrayShell tray;
    Win32WindowSystem windows;
    windows.SetMenuPictureFinder(MenuItemPicture);
    Win32Shell shell;
    Win32ExitDialog exitDialog;
    Win32Registry registry;
    Win32HelpWindow help;
    Win32Shortcuts shortcuts;
    Win32TrayIconRecords iconRecords;
    Win32SessionLocks locks;
    Win32NameSources names;
    windows.AddWaitable(iconRecords);
    windows.AddWaitable(shortcuts.LateAnswers());
    Win32RunningLists lists(windows);
    iconlane::Services services{dialogs,     environment, process,    files,    pictures, tray,
                                windows,     shell,       exitDialog, registry, help,     shortcuts,
                                iconRecords, lists,       locks,      names};

    iconlane::Iconlane program(services);
    program.Run();
    return 0;
}
