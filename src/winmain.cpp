// The program's entry point: the real services handed to the portable program.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/win32/dialogs/exitdialog.h"
#include "platform/win32/dialogs/helpwindow.h"
#include "platform/win32/pictures/pictures.h"
#include "platform/win32/pictures/shortcuts.h"
#include "platform/win32/runninglists.h"
#include "platform/win32/system/files.h"
#include "platform/win32/system/namesources.h"
#include "platform/win32/system/runtime.h"
#include "platform/win32/system/sessionlock.h"
#include "platform/win32/tray/trayiconrecords.h"
#include "platform/win32/tray/trayshell.h"
#include "platform/win32/windowsystem.h"
#include "startup/startup.h"
#include "tray/iconresolution.h"

namespace {

using namespace iconlane::win32;

// The pictures of files in menus by the tray's own rules, found on one of the menus' workers with
// service objects of its own, at the menu's size. Where not even the system has one, the
// program's own icon; a shortcut whose item the shell answers for late waits for that answer.
class MenuItemPictures final : public MenuPictureSource {
public:
    HICON Find(const std::string& path, int pixels, bool& late) override {
        shortcuts_.SetItemPixels(pixels);
        Win32Pictures pictures(pixels);
        const iconlane::PictureSources sources{files_,     pictures,     registry_,
                                               shortcuts_, environment_, process_};
        try {
            iconlane::PicturePtr found = iconlane::FindTargetPicture(sources, path, 0);
            late = !found && shortcuts_.AskingAbout(path);
            if (late) return nullptr;
            return TakeIcon(found ? std::move(found) : pictures.BuiltInIcon());
        } catch (...) {
            return nullptr;  // no picture for this one: the menu shows the item without
        }
    }
    LoopWaitable* LateAnswers(std::function<void(const std::string&)> arrived) override {
        shortcuts_.WhenItemPictureArrives(std::move(arrived));
        return &shortcuts_.LateAnswers();
    }

private:
    Win32FileSystem files_;
    Win32Registry registry_;
    Win32Environment environment_;
    Win32Process process_;
    Win32Shortcuts shortcuts_;
};

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
    windows.SetMenuPictureSources([] { return std::make_unique<MenuItemPictures>(); });
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
