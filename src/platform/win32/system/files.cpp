#include "platform/win32/system/files.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

// Files larger than this are refused: the program only reads small text and icon files.
constexpr LONGLONG kMaxTextFileSize = 64LL * 1024 * 1024;

bool Matches(const WIN32_FIND_DATAW& found, SearchKind kind) {
    DWORD attributes = found.dwFileAttributes;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    std::wstring_view name = found.cFileName;
    return kind == SearchKind::kFilesAndFolders && name != L"." && name != L"..";
}

// Opened for reading with every sharing allowed, the rename of another file over it included:
// another copy of the program replaces a file it shares by renaming a new one over it, and a
// reader must never make that fail.
UniqueFile OpenForReading(const std::string& path) {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw RuntimeError(FileErrorNumber(GetLastError()));
    return file;
}

LONGLONG SizeOf(const UniqueFile& file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) throw RuntimeError(FileErrorNumber(GetLastError()));
    return size.QuadPart;
}

// Up to `size` bytes from the file's start; fewer when it is shorter by now.
std::string ReadBytes(const UniqueFile& file, std::size_t size) {
    std::string contents(size, '\0');
    std::size_t done = 0;
    while (done < contents.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), contents.data() + done,
                        static_cast<DWORD>(contents.size() - done), &read, nullptr)) {
            throw RuntimeError(FileErrorNumber(GetLastError()));
        }
        if (read == 0) break;
        done += read;
    }
    contents.resize(done);
    return contents;
}

// Characters no file name may hold. The system's search takes < > and " for wildcards of its own
// and answers "not found" for the others, so they are refused before it sees them.
bool HasRefusedCharacter(const std::string& pattern) {
    return std::any_of(pattern.begin(), pattern.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 || std::strchr("<>|\"", c) != nullptr;
    });
}

// True when the file at `path` holds exactly `contents`; false also when it cannot be read.
bool FileHolds(const std::string& path, const std::string& contents) {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) ||
        size.QuadPart != static_cast<LONGLONG>(contents.size())) {
        return false;
    }
    std::string held(contents.size(), '\0');
    DWORD read = 0;
    return ReadFile(file.Get(), held.data(), static_cast<DWORD>(held.size()), &read, nullptr) &&
           read == held.size() && held == contents;
}

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

int FileErrorNumber(unsigned long systemError) {
    switch (systemError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return kFileNotFound;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return kBadFileName;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return kPermissionDenied;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return kOutOfMemory;
        default:
            return kPathFileAccessError;
    }
}

std::string Win32FileSystem::FindFirst(const std::string& pattern, SearchKind kind) {
    if (pattern.empty()) return {};
    if (HasRefusedCharacter(pattern)) throw RuntimeError(kBadFileName);
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW(Wide(pattern).c_str(), &found));
    if (!search.Valid()) {
        // Not found and no more files mean nothing matches; a name the system refuses is an error.
        if (FileErrorNumber(GetLastError()) == kBadFileName) throw RuntimeError(kBadFileName);
        return {};
    }
    do {
        if (Matches(found, kind)) return NarrowBuffer(found.cFileName, MAX_PATH);
    } while (FindNextFileW(search.Get(), &found));
    return {};
}

void Win32FileSystem::CreateFolder(const std::string& path) {
    if (!CreateDirectoryW(Wide(path).c_str(), nullptr))
        throw RuntimeError(FileErrorNumber(GetLastError()));
}

std::string Win32FileSystem::ReadFile(const std::string& path) {
    return ReadWholeFile(path);
}

std::string ReadWholeFile(const std::string& path) {
    UniqueFile file = OpenForReading(path);
    LONGLONG size = SizeOf(file);
    if (size > kMaxTextFileSize) throw RuntimeError(kOutOfMemory);
    return ReadBytes(file, static_cast<std::size_t>(size));
}

std::string Win32FileSystem::ReadFileStart(const std::string& path, std::size_t maxBytes) {
    UniqueFile file = OpenForReading(path);
    LONGLONG size = SizeOf(file);
    return ReadBytes(file, static_cast<std::size_t>(
                               std::min<ULONGLONG>(static_cast<ULONGLONG>(size), maxBytes)));
}

void Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    WriteFileReplacing(path, bytes);
}

void WriteFileReplacing(const std::string& path, const std::string& contents) {
    const std::wstring target = Wide(path);
    const std::wstring temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    {
        UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) throw RuntimeError(FileErrorNumber(GetLastError()));
        DWORD written = 0;
        if (!WriteFile(file.Get(), contents.data(), static_cast<DWORD>(contents.size()), &written,
                       nullptr) ||
            written != contents.size()) {
            DWORD error = GetLastError();
            file.Reset();
            DeleteFileW(temporary.c_str());
            throw RuntimeError(FileErrorNumber(error));
        }
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        throw RuntimeError(FileErrorNumber(error));
    }
}

bool WriteFileIfDifferent(const std::string& path, const std::string& contents) {
    if (FileHolds(path, contents)) return false;
    WriteFileReplacing(path, contents);
    return true;
}

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
