#include "platform/win32/shell.h"

#include <shlobj.h>

#include <algorithm>
#include <string_view>

#include "platform/errors.h"
#include "platform/win32/iconfile.h"
#include "platform/win32/resourceids.h"
#include "platform/win32/traysize.h"
#include "platform/win32/widetext.h"

namespace iconlane::win32 {

PicturePtr IconPicture::Owning(HICON icon) {
    return PicturePtr(new IconPicture(icon, nullptr));
}

PicturePtr IconPicture::Shared(HICON icon) {
    return PicturePtr(new IconPicture(nullptr, icon));
}

std::uintptr_t IconPicture::Handle() const {
    return reinterpret_cast<std::uintptr_t>(owned_.Valid() ? owned_.Get() : shared_);
}

// A plain owning picture: an OLE picture object would cost a library load and a call per icon
// for the same icon handle.
PicturePtr IconToPicture(HICON icon) {
    return icon == nullptr ? nullptr : IconPicture::Owning(icon);
}

PicturePtr Win32Pictures::LoadPictureFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw RuntimeError(kFileNotFound);
    }
    // The file's frame of that size, else the nearest one scaled to it.
    int size = TrayIconPixels();
    HANDLE image = LoadImageW(nullptr, Wide(path).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE);
    if (image == nullptr) throw RuntimeError(kInvalidPicture);
    return IconPicture::Owning(static_cast<HICON>(image));
}

PicturePtr Win32Pictures::ExtractIconPicture(const std::string& file, std::int32_t number) {
    // -1 asks for the number of icons in the file, which is no icon.
    if (number == -1) return nullptr;
    // The icon's own frame of the tray's size where it has one, else its nearest one scaled.
    HICON icon = nullptr;
    UINT size = static_cast<UINT>(TrayIconPixels());
    if (SHDefExtractIconW(Wide(file).c_str(), number, 0, &icon, nullptr, size) != S_OK) {
        if (icon != nullptr) DestroyIcon(icon);
        return nullptr;
    }
    return IconToPicture(icon);
}

void Win32Pictures::SaveIconFile(const Picture& picture, const std::string& path) {
    HICON icon = reinterpret_cast<HICON>(picture.Handle());
    if (icon == nullptr) throw RuntimeError(kInvalidPicture);
    WriteFileIfDifferent(path, EncodeIconFile(icon));
}

std::string Win32Pictures::SystemDirectory() {
    wchar_t buffer[MAX_PATH];
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return Narrow(std::wstring_view(buffer, length < MAX_PATH ? length : 0));
}

HICON ProgramIcon(int resourceId, int width, int height) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                         IMAGE_ICON, width, height, LR_SHARED));
}

PicturePtr Win32Pictures::ProgramPicture(int resourceId) {
    int size = TrayIconPixels();
    UniqueIcon& icon = programIcons_[{resourceId, size}];
    if (!icon.Valid()) {
        icon.Reset(static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size, size, 0)));
    }
    return IconPicture::Shared(icon.Get());
}

PicturePtr Win32Pictures::BuiltInIcon() {
    return ProgramPicture(kProgramIconId);
}

PicturePtr Win32Pictures::UpImage() {
    return ProgramPicture(kUpImageId);
}

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

std::int32_t Win32Shell::OpenTarget(const std::string& target) {
    HINSTANCE result =
        ShellExecuteW(nullptr, L"Open", Wide(target).c_str(), L"", L"", SW_SHOWNORMAL);
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(result));
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
