#include "platform/win32/pictures/pictures.h"

#include <shlobj.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/errors.h"
#include "platform/iconframes.h"
#include "platform/win32/pictures/iconfile.h"
#include "platform/win32/system/files.h"
#include "platform/win32/system/resourceids.h"
#include "platform/win32/system/runtime.h"
#include "platform/win32/system/widetext.h"
#include "platform/win32/tray/traysize.h"

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

namespace {

// One frame's image drawn at width x height: the system scales it to that size.
HICON IconFromFrame(std::string_view image, int width, int height) {
    auto* bits = reinterpret_cast<BYTE*>(const_cast<char*>(image.data()));
    return CreateIconFromResourceEx(bits, static_cast<DWORD>(image.size()), TRUE, 0x00030000, width,
                                    height, LR_DEFAULTCOLOR);
}

std::string_view ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(module, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return {};
    return std::string_view(static_cast<const char*>(data), SizeofResource(module, found));
}

// The program's own icon from the frame ChooseIconFrame picks, as for an icon file: the system's
// own choice would scale a smaller frame up (16 to 20 pixels at 125 %).
HICON LoadProgramIcon(int resourceId, int width, int height) {
    HMODULE module = GetModuleHandleW(nullptr);
    std::string_view group = ResourceBytes(module, MAKEINTRESOURCEW(resourceId),
                                           reinterpret_cast<LPCWSTR>(RT_GROUP_ICON));
    std::vector<IconFrame> frames = ReadIconDirectory(group, IconDirectoryKind::kGroup);
    if (frames.empty()) return nullptr;
    const IconFrame& frame = frames[ChooseIconFrame(frames, width, height)];
    std::string_view image =
        ResourceBytes(module, MAKEINTRESOURCEW(frame.location), reinterpret_cast<LPCWSTR>(RT_ICON));
    return image.empty() ? nullptr : IconFromFrame(image, width, height);
}

}  // namespace

PicturePtr Win32Pictures::LoadPictureFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw RuntimeError(kFileNotFound);
    }
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const RuntimeError&) {
        throw RuntimeError(kInvalidPicture);
    }
    // The file's frame of the tray's size, else the nearest larger one scaled down.
    std::vector<IconFrame> frames = ReadIconDirectory(bytes, IconDirectoryKind::kFile);
    if (frames.empty()) throw RuntimeError(kInvalidPicture);
    const int size = Pixels();
    const IconFrame& frame = frames[ChooseIconFrame(frames, size, size)];
    HICON icon =
        IconFromFrame(std::string_view(bytes).substr(frame.location, frame.bytes), size, size);
    if (icon == nullptr) throw RuntimeError(kInvalidPicture);
    return IconPicture::Owning(icon);
}

PicturePtr Win32Pictures::ExtractIconPicture(const std::string& file, std::int32_t number) {
    // -1 asks for the number of icons in the file, which is no icon.
    if (number == -1) return nullptr;
    // The icon's own frame of the tray's size where it has one, else its nearest one scaled.
    HICON icon = nullptr;
    UINT size = static_cast<UINT>(Pixels());
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

// Kept for the program's life, one a picture and size, as the system keeps its shared icons. The
// menus' worker thread asks for them too.
HICON ProgramIcon(int resourceId, int width, int height) {
    static std::mutex guard;
    std::lock_guard lock(guard);
    static std::map<std::tuple<int, int, int>, UniqueIcon> loaded;
    UniqueIcon& icon = loaded[{resourceId, width, height}];
    if (!icon.Valid()) icon.Reset(LoadProgramIcon(resourceId, width, height));
    return icon.Get();
}

// Entries still show an earlier size's picture until they are made again: it stays.
PicturePtr Win32Pictures::ProgramPicture(int resourceId) {
    const int size = Pixels();
    return IconPicture::Shared(ProgramIcon(resourceId, size, size));
}

int Win32Pictures::Pixels() const {
    return pixels_ > 0 ? pixels_ : TrayIconPixels();
}

HICON IconPicture::TakeIcon() {
    return owned_.Valid() ? owned_.Release() : shared_ ? CopyIcon(shared_) : nullptr;
}

HICON TakeIcon(PicturePtr picture) {
    auto* icon = dynamic_cast<IconPicture*>(picture.get());
    return icon != nullptr ? icon->TakeIcon() : nullptr;
}

PicturePtr Win32Pictures::BuiltInIcon() {
    return ProgramPicture(kProgramIconId);
}

PicturePtr Win32Pictures::UpImage() {
    return ProgramPicture(kUpImageId);
}

}  // namespace iconlane::win32
