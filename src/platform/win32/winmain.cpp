// The program's entry point: the real services handed to the portable program.
#include <windows.h>

#include "platform/win32/exitdialog.h"
#include "platform/win32/helpwindow.h"
#include "platform/win32/runninglists.h"
#include "platform/win32/shell.h"
#include "platform/win32/shortcuts.h"
#include "platform/win32/system.h"
#include "platform/win32/trayiconrecords.h"
#include "platform/win32/traywindow.h"
#include "startup/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace iconlane::win32;
    RestrictLibrarySearch();

    Win32Dialogs dialogs;
    Win32Environment environment;
    Win32Process process;
    Win32FileSystem files;
    Win32Pictures pictures;
    Win32TrayShell tray;
    Win32WindowSystem windows;
    Win32Shell shell;
    Win32ExitDialog exitDialog;
    Win32Registry registry;
    Win32HelpWindow help;
    Win32Shortcuts shortcuts;
    Win32TrayIconRecords iconRecords;
    windows.AddWaitable(iconRecords);
    Win32RunningLists lists(windows);
    iconlane::Services services{dialogs, environment, process,     files,      pictures,
                                tray,    windows,     shell,       exitDialog, registry,
                                help,    shortcuts,   iconRecords, lists};

    iconlane::Iconlane program(services);
    program.Run();
    return 0;
}
