// The shell's tray: the program's tray record handed to it as the shell's own record.
#pragma once

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/services.h"

namespace iconlane::win32 {

// The shell's record for a tray call, made from the program's record.
NOTIFYICONDATAW ToNotifyIconData(const TrayRecord& record);

class Win32TrayShell final : public TrayShell {
public:
    bool NotifyIcon(TrayOperation operation, const TrayRecord& record) override;
};

}  // namespace iconlane::win32
