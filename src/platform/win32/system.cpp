#include "platform/win32/system.h"

#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/commandline.h"
#include "platform/errors.h"
#include "platform/textrules.h"
#include "platform/win32/handles.h"
#include "platform/win32/iconfile.h"
#include "platform/win32/widetext.h"

namespace iconlane::win32 {
namespace {

// Files larger than this are refused: the program only reads small text files.
constexpr LONGLONG kMaxTextFileSize = 64LL * 1024 * 1024;
// Characters of a run without blanks that one line of a message box shows, even of wide letters,
// on a 1024-pixel screen.
constexpr int kMaxMessageRun = 80;

bool Matches(const WIN32_FIND_DATAA& found, SearchKind kind) {
    DWORD attributes = found.dwFileAttributes;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    std::string name = found.cFileName;
    return kind == SearchKind::kFilesAndFolders && name != "." && name != "..";
}

// Characters no file name may hold. The system's search takes < > and " for wildcards of its own
// and answers "not found" for the others, so they are refused before it sees them.
bool HasRefusedCharacter(const std::string& pattern) {
    return std::any_of(pattern.begin(), pattern.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 || std::strchr("<>|\"", c) != nullptr;
    });
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

void RestrictLibrarySearch() {
    SetDllDirectoryA("");
    // Present from Windows 8 on (and on Windows 7 with its update); looked up, not imported.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (found != nullptr) {
        reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(found))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

// Only dialogs have buttons to theme: an idle tray program that never loads the common controls
// keeps about 3 MB less in memory. The manifest makes this load the themed version 6.
void LoadCommonControls() {
    static const bool loaded = [] {
        HMODULE library = LoadLibraryA("comctl32.dll");
        if (library == nullptr) return false;
        using Initialize = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        FARPROC found = GetProcAddress(library, "InitCommonControlsEx");
        if (found == nullptr) return false;
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        return reinterpret_cast<Initialize>(reinterpret_cast<void*>(found))(&controls) != FALSE;
    }();
    (void)loaded;
}

void Win32Dialogs::ShowMessage(const std::string& text, MessageStyle style,
                               const std::string& title) {
    LoadCommonControls();
    // Some systems break a message box's lines only at blanks: a quoted line without any would
    // make the box wider than the screen.
    std::string shown = BreakLongRuns(text, kMaxMessageRun);
    MessageBoxA(nullptr, shown.c_str(), title.c_str(), static_cast<UINT>(style) | MB_OK);
}

std::string Win32Environment::Variable(const std::string& name) const {
    std::string value(256, '\0');
    for (;;) {
        DWORD length =
            GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // too small: length is the size needed, terminator included
    }
}

std::optional<std::string> Win32Registry::ReadClassesRootDefault(const std::string& subkey) {
    HKEY opened = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, subkey.c_str(), &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    UniqueKey key(opened);
    // A fixed buffer of 260 bytes: a longer value counts as unreadable.
    char buffer[260];
    std::memset(buffer, ' ', sizeof buffer);
    DWORD type = 0, count = sizeof buffer;
    LONG result = RegQueryValueExA(key.Get(), nullptr, nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &count);
    if (result != ERROR_SUCCESS || count > sizeof buffer) return std::nullopt;
    return std::string(buffer, count);
}

std::string ProgramFilePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path;
}

std::string Win32Process::ProgramFolder() const {
    std::string path = ProgramFilePath();
    std::size_t separator = path.find_last_of('\\');
    if (separator == std::string::npos) return {};
    // A drive root keeps its separator ("C:\"), like any folder the system reports.
    return path.substr(0, separator == 2 ? 3 : separator);
}

// Read from the program's own version resource, without version.dll: that library is no known
// system DLL, and one planted beside the program would be loaded in its place.
ProgramVersion Win32Process::Version() const {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
    const auto* data = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (data == nullptr) return {};
    DWORD size = SizeofResource(nullptr, found);
    for (DWORD offset = 0; offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
        VS_FIXEDFILEINFO info;
        std::memcpy(&info, data + offset, sizeof info);
        if (info.dwSignature == VS_FFI_SIGNATURE) {
            return {HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
                    HIWORD(info.dwFileVersionLS)};
        }
    }
    return {};
}

std::string Win32Process::DecimalSeparator() const {
    char separator[8] = ".";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
    return separator;
}

std::string Win32Process::CommandLine() const {
    return ArgumentsOf(GetCommandLineA());
}

std::string Win32Process::CurrentFolder() const {
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
        if (length < folder.size()) return Narrow(std::wstring_view(folder.data(), length));
        folder.resize(length);  // too small: length is the size needed, terminator included
    }
}

void Win32Process::EndNow() {
    ExitProcess(0);
}

// The program itself runs with the UTF-8 code page; the locale still names the one the system
// gives programs that do not ask for it, which is what old editors saved in.
std::string Win32Process::FromLegacyCodePage(const std::string& bytes) const {
    char number[8] = {};
    UINT codePage = 1252;
    if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, sizeof number) >
            0 &&
        std::atoi(number) > 0 && std::atoi(number) != CP_UTF8) {
        codePage = static_cast<UINT>(std::atoi(number));
    }
    int size = static_cast<int>(bytes.size());
    int wideLength = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (wideLength <= 0) return bytes;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), wideLength);
    int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, text.data(), length, nullptr, nullptr);
    return text;
}

std::string Win32FileSystem::FindFirst(const std::string& pattern, SearchKind kind) {
    if (pattern.empty()) return {};
    if (HasRefusedCharacter(pattern)) throw RuntimeError(kBadFileName);
    WIN32_FIND_DATAA found;
    UniqueFind search(FindFirstFileA(pattern.c_str(), &found));
    if (!search.Valid()) {
        // Not found and no more files mean nothing matches; a name the system refuses is an error.
        if (FileErrorNumber(GetLastError()) == kBadFileName) throw RuntimeError(kBadFileName);
        return {};
    }
    do {
        if (Matches(found, kind)) return found.cFileName;
    } while (FindNextFileA(search.Get(), &found));
    return {};
}

void Win32FileSystem::CreateFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr))
        throw RuntimeError(FileErrorNumber(GetLastError()));
}

std::string Win32FileSystem::ReadFile(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw RuntimeError(FileErrorNumber(GetLastError()));
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) throw RuntimeError(FileErrorNumber(GetLastError()));
    if (size.QuadPart > kMaxTextFileSize) throw RuntimeError(kOutOfMemory);
    std::string contents(static_cast<std::size_t>(size.QuadPart), '\0');
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

void Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    WriteFileReplacing(path, bytes);
}

}  // namespace iconlane::win32
