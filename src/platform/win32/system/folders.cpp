// The folder services of Win32FileSystem: listing a folder and the details of one file.
#include <windows.h>

#include <string>

#include "platform/win32/system/files.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::uint64_t Combined(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

FolderItem ItemOf(const std::string& name, DWORD attributes, DWORD sizeHigh, DWORD sizeLow,
                  const FILETIME& written) {
    return FolderItem{name, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                      (attributes & kHiddenOrSystem) != 0, Combined(sizeHigh, sizeLow),
                      Combined(written.dwHighDateTime, written.dwLowDateTime)};
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::optional<std::vector<FolderItem>> Win32FileSystem::ListFolder(const std::string& folder) {
    // Wildcards are refused by the attribute query, so they never widen the listing.
    if (folder.empty() || !IsFolder(folder)) return std::nullopt;
    bool separated = folder.back() == '\\' || folder.back() == '/';
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW(Wide(folder + (separated ? "*" : "\\*")).c_str(), &found));
    std::vector<FolderItem> items;
    if (!search.Valid()) {
        // An empty drive root has no "." either.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return items;
        return std::nullopt;
    }
    do {
        std::string name = NarrowBuffer(found.cFileName, MAX_PATH);
        if (name == "." || name == "..") continue;
        items.push_back(ItemOf(name, found.dwFileAttributes, found.nFileSizeHigh,
                               found.nFileSizeLow, found.ftLastWriteTime));
    } while (FindNextFileW(search.Get(), &found));
    return items;
}

std::optional<FolderItem> Win32FileSystem::Details(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    std::size_t separator = path.find_last_of("\\/:");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    return ItemOf(name, data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow,
                  data.ftLastWriteTime);
}

}  // namespace iconlane::win32
