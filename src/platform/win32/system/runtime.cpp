#include "platform/win32/system/runtime.h"

#include <windows.h>
// commctrl.h and shlobj.h need the types of windows.h.
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "platform/commandline.h"
#include "platform/errors.h"
#include "platform/textrules.h"
#include "platform/win32/system/comapartment.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

// Characters of a run without blanks that one line of a message box shows, even of wide letters,
// on a 1024-pixel screen.
constexpr int kMaxMessageRun = 80;

}  // namespace

void RestrictLibrarySearch() {
    SetDllDirectoryW(L"");
    // Present from Windows 8 on (and on Windows 7 with its update); looked up, not imported.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (found != nullptr) {
        reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(found))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

// Only dialogs have buttons to theme: an idle tray program that never loads the common controls
// keeps about 3 MB less in memory. The manifest makes this load the themed version 6.
void LoadCommonControls() {
    static const bool loaded = [] {
        HMODULE library = LoadLibraryW(L"comctl32.dll");
        if (library == nullptr) return false;
        using Initialize = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        FARPROC found = GetProcAddress(library, "InitCommonControlsEx");
        if (found == nullptr) return false;
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        return reinterpret_cast<Initialize>(reinterpret_cast<void*>(found))(&controls) != FALSE;
    }();
    (void)loaded;
}

// The portable side reports the failures of its events itself; whatever still escapes one must
// not unwind through the window system, so it is reported here.
void ReportUnexpectedFailure() {
    try {
        std::string text = EventFailureText(CurrentNumberedError());
        MessageBoxW(nullptr, Wide(text).c_str(), L"Iconlane", MB_ICONEXCLAMATION | MB_OK);
    } catch (...) {
        MessageBoxW(nullptr, L"Unexpected error", L"Iconlane", MB_ICONEXCLAMATION | MB_OK);
    }
}

void Win32Dialogs::ShowMessage(const std::string& text, MessageStyle style,
                               const std::string& title) {
    LoadCommonControls();
    // Some systems break a message box's lines only at blanks: a quoted line without any would
    // make the box wider than the screen.
    std::string shown = BreakLongRuns(text, kMaxMessageRun);
    MessageBoxW(nullptr, Wide(shown).c_str(), Wide(title).c_str(),
                static_cast<UINT>(style) | MB_OK);
}

std::string Win32Environment::Variable(const std::string& name) const {
    const std::wstring wideName = Wide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(),
                                               static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) {
            value.resize(length);
            return Narrow(value);
        }
        value.resize(length);  // too small: length is the size needed, terminator included
    }
}

// The shell's own record of the folder, which holds also where no environment was handed down.
std::string Win32Environment::RoamingFolder() const {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
        return {};
    return NarrowBuffer(folder, MAX_PATH);
}

std::optional<std::string> Win32Registry::ReadClassesRootDefault(const std::string& subkey) {
    HKEY opened = nullptr;
    if (RegOpenKeyW(HKEY_CLASSES_ROOT, Wide(subkey).c_str(), &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    UniqueKey key(opened);
    // A fixed buffer of 260 characters: a longer value counts as unreadable.
    wchar_t buffer[260];
    DWORD type = 0, count = sizeof buffer;
    LONG result = RegQueryValueExW(key.Get(), nullptr, nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &count);
    if (result != ERROR_SUCCESS || count > sizeof buffer) return std::nullopt;
    return Narrow(std::wstring_view(buffer, count / sizeof(wchar_t)));
}

std::string ProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return Narrow(path);
}

std::int32_t Win32Shell::OpenTarget(const std::string& target) {
    HINSTANCE result =
        ShellExecuteW(nullptr, L"Open", Wide(target).c_str(), L"", L"", SW_SHOWNORMAL);
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(result));
}

std::int32_t Win32Shell::RunAsAdministrator(const std::string& target) {
    HINSTANCE result =
        ShellExecuteW(nullptr, L"runas", Wide(target).c_str(), L"", L"", SW_SHOWNORMAL);
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(result));
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
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                reinterpret_cast<LPCWSTR>(RT_VERSION));
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
    wchar_t separator[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, std::size(separator));
    return NarrowBuffer(separator, std::size(separator));
}

// Taken as UTF-16 and turned into the program's text once, whatever the process code page.
std::string Win32Process::CommandLine() const {
    return ArgumentsOf(Narrow(GetCommandLineW()));
}

std::string Win32Process::CurrentFolder() const {
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
        if (length < folder.size()) return Narrow(std::wstring_view(folder.data(), length));
        folder.resize(length);  // too small: length is the size needed, terminator included
    }
}

std::int64_t Win32Process::Today() const {
    constexpr std::int64_t kTicksPerDay = 864000000000;  // of 100 ns
    constexpr std::int64_t kDaysFrom1601To1970 = 134774;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
    return static_cast<std::int64_t>(ticks.QuadPart) / kTicksPerDay - kDaysFrom1601To1970;
}

void Win32Process::EndNow() {
    FlushOleClipboard();
    ExitProcess(0);
}

// The system's locale names the code page it gives programs that do not ask for UTF-8, which is
// what old editors saved in, whatever this process itself runs with (where the system is set to
// "UTF-8 for worldwide language support", that is UTF-8 and there is no other: 1252 then).
std::string Win32Process::FromLegacyCodePage(const std::string& bytes) const {
    wchar_t number[8] = {};
    UINT codePage = 1252;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number,
                       std::size(number)) > 0) {
        const long found = std::wcstol(number, nullptr, 10);
        if (found > 0 && found != CP_UTF8) codePage = static_cast<UINT>(found);
    }
    std::wstring wide = WideFromCodePage(bytes, codePage);
    return wide.empty() ? bytes : Narrow(wide);
}

}  // namespace iconlane::win32
