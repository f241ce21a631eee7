#include "platform/win32/tray/trayshell.h"

#include <algorithm>
#include <string_view>

#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {

// The tip's 64 bytes of UTF-8 are at most 64 UTF-16 characters (a character of four bytes takes
// two), so it is never cut here, and no character is split. A tip of 64 characters has no
// terminating zero within the original record; the zeroed characters behind it stop a reader.
NOTIFYICONDATAW ToNotifyIconData(const TrayRecord& record) {
    NOTIFYICONDATAW data{};
    // The original record layout; its size differs between 32-bit and 64-bit builds.
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.hWnd);
    data.uID = record.uID;
    data.uFlags = record.uFlags;
    data.uCallbackMessage = record.uCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.hIcon);
    std::string_view tip(record.szTip.data(), record.szTip.size());
    const std::wstring wide = Wide(tip.substr(0, tip.find('\0')));
    std::copy_n(wide.begin(), std::min(wide.size(), kTrayTipLength), data.szTip);
    return data;
}

bool Win32TrayShell::NotifyIcon(TrayOperation operation, const TrayRecord& record) {
    NOTIFYICONDATAW data = ToNotifyIconData(record);
    // The shell reads a version, and takes the focus call, only from the larger record of
    // Windows 2000 on.
    if (operation == TrayOperation::kSetVersion || operation == TrayOperation::kSetFocus) {
        data.cbSize = NOTIFYICONDATAW_V2_SIZE;
        data.uVersion = record.uVersion;
    }
    return Shell_NotifyIconW(static_cast<DWORD>(operation), &data) != FALSE;
}

}  // namespace iconlane::win32
