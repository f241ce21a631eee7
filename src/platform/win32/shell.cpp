#include "platform/win32/shell.h"

#include <shlobj.h>

#include <cstring>

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
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw RuntimeError(kFileNotFound);
    }
    // The file's frame of that size, else the nearest one scaled to it.
    int size = TrayIconPixels();
    HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE);
    if (image == nullptr) throw RuntimeError(kInvalidPicture);
    return IconPicture::Owning(static_cast<HICON>(image));
}

PicturePtr Win32Pictures::ExtractIconPicture(const std::string& file, std::int32_t number) {
    // -1 asks for the number of icons in the file, which is no icon.
    if (number == -1) return nullptr;
    // The icon's own frame of the tray's size where it has one, else its nearest one scaled.
    HICON icon = nullptr;
    UINT size = static_cast<UINT>(TrayIconPixels());
    if (SHDefExtractIconA(file.c_str(), number, 0, &icon, nullptr, size) != S_OK) {
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
    char buffer[260];
    UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
    if (length >= sizeof buffer) length = 0;
    return std::string(buffer, length);
}

// The shell asks the item's own icon handler, which reads a folder's desktop.ini: the location it
// names is then extracted at the tray's size like any other icon.
std::optional<IconLocation> Win32Pictures::ShellIconLocation(const std::string& path) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(Wide(path).c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION) ||
        info.szDisplayName[0] == L'\0') {
        return std::nullopt;
    }
    return IconLocation{NarrowBuffer(info.szDisplayName, MAX_PATH), info.iIcon};
}

HICON ProgramIcon(int resourceId, int width, int height) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                         IMAGE_ICON, width, height, LR_SHARED));
}

PicturePtr Win32Pictures::ProgramPicture(int resourceId) {
    int size = TrayIconPixels();
    UniqueIcon& icon = programIcons_[{resourceId, size}];
    if (!icon.Valid()) {
        icon.Reset(static_cast<HICON>(LoadImageA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, 0)));
    }
    return IconPicture::Shared(icon.Get());
}

PicturePtr Win32Pictures::BuiltInIcon() {
    return ProgramPicture(kProgramIconId);
}

PicturePtr Win32Pictures::UpImage() {
    return ProgramPicture(kUpImageId);
}

NOTIFYICONDATAA ToNotifyIconData(const TrayRecord& record) {
    NOTIFYICONDATAA data{};
    // The original record layout; its size differs between 32-bit (88 bytes) and 64-bit builds.
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.hWnd);
    data.uID = record.uID;
    data.uFlags = record.uFlags;
    data.uCallbackMessage = record.uCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.hIcon);
    // A 64-character tip has no terminating zero; the zeroed fields behind it stop a reader.
    std::memcpy(data.szTip, record.szTip.data(), record.szTip.size());
    return data;
}

std::int32_t Win32Shell::OpenTarget(const std::string& target) {
    HINSTANCE result = ShellExecuteA(nullptr, "Open", target.c_str(), "", "", SW_SHOWNORMAL);
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(result));
}

std::int32_t Win32Shell::RunAsAdministrator(const std::string& target) {
    HINSTANCE result =
        ShellExecuteW(nullptr, L"runas", Wide(target).c_str(), L"", L"", SW_SHOWNORMAL);
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(result));
}

bool Win32TrayShell::NotifyIcon(TrayOperation operation, const TrayRecord& record) {
    NOTIFYICONDATAA data = ToNotifyIconData(record);
    // The shell reads a version, and takes the focus call, only from the larger record of
    // Windows 2000 on.
    if (operation == TrayOperation::kSetVersion || operation == TrayOperation::kSetFocus) {
        data.cbSize = NOTIFYICONDATAA_V2_SIZE;
        data.uVersion = record.uVersion;
    }
    return Shell_NotifyIconA(static_cast<DWORD>(operation), &data) != FALSE;
}

}  // namespace iconlane::win32
