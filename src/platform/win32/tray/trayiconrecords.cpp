#include "platform/win32/tray/trayiconrecords.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <iterator>

#include "platform/win32/system/runtime.h"
#include "platform/win32/system/widetext.h"

// SHGetKnownFolderPath into a buffer of the caller's: its result needs no COM allocator, so ole32
// stays unloaded. In shell32 since Windows Vista; MinGW's headers lack it.
extern "C" HRESULT WINAPI SHGetFolderPathEx(REFKNOWNFOLDERID folder, DWORD flags, HANDLE token,
                                            LPWSTR path, UINT length);

namespace iconlane::win32 {
namespace {

constexpr const wchar_t* kRecordsKey = L"Control Panel\\NotifyIconSettings";

UniqueKey OpenKey(const std::wstring& subkey, REGSAM access) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, access, &opened) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(opened);
}

UniqueKey OpenRecord(const std::string& name, REGSAM access) {
    return OpenKey(std::wstring(kRecordsKey) + L"\\" + Wide(name), access);
}

std::string ReadText(HKEY key, const wchar_t* value) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    // Up to the terminator stored, or to the end of a value stored without one.
    return NarrowBuffer(text.data(), std::min<std::size_t>(size / sizeof(wchar_t), text.size()));
}

std::optional<std::uint32_t> ReadNumber(HKEY key, const wchar_t* value) {
    DWORD type = 0, number = 0, size = sizeof number;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return number;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", in either letter case.
std::optional<GUID> ParseGuid(const std::string& text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    std::string hex;
    for (std::size_t at = 1; at < 37; ++at) {
        bool dash = at == 9 || at == 14 || at == 19 || at == 24;
        if (dash != (text[at] == '-')) return std::nullopt;
        if (!dash && !std::isxdigit(static_cast<unsigned char>(text[at]))) return std::nullopt;
        if (!dash) hex += text[at];
    }
    auto field = [&](std::size_t from, std::size_t digits) {
        return std::stoul(hex.substr(from, digits), nullptr, 16);
    };
    GUID guid{field(0, 8), static_cast<WORD>(field(8, 4)), static_cast<WORD>(field(12, 4)), {}};
    for (std::size_t n = 0; n < 8; ++n) guid.Data4[n] = static_cast<BYTE>(field(16 + 2 * n, 2));
    return guid;
}

}  // namespace

std::string Win32TrayIconRecords::ProgramPath() {
    std::string path = ProgramFilePath();
    const std::wstring widePath = Wide(path);
    // The task bar writes the long form, also for a program started by its short name.
    std::wstring longPath(GetLongPathNameW(widePath.c_str(), nullptr, 0), L'\0');
    DWORD length =
        GetLongPathNameW(widePath.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    return length > 0 && length < longPath.size() ? Narrow(longPath.substr(0, length)) : path;
}

std::optional<std::vector<std::string>> Win32TrayIconRecords::RecordNames() {
    UniqueKey key = OpenKey(kRecordsKey, KEY_ENUMERATE_SUB_KEYS);
    if (!key.Valid()) return std::nullopt;
    std::vector<std::string> names;
    wchar_t name[256];
    DWORD length = std::size(name);
    for (DWORD index = 0; RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS;
         ++index, length = std::size(name)) {
        names.push_back(Narrow(std::wstring_view(name, length)));
    }
    return names;
}

std::optional<TrayIconRecord> Win32TrayIconRecords::ReadRecord(const std::string& name) {
    UniqueKey key = OpenRecord(name, KEY_QUERY_VALUE);
    if (!key.Valid()) return std::nullopt;
    return TrayIconRecord{ReadText(key.Get(), L"ExecutablePath"), ReadNumber(key.Get(), L"UID"),
                          ReadNumber(key.Get(), L"IsPromoted")};
}

// Opening never creates: a record that is gone by now stays gone.
void Win32TrayIconRecords::Promote(const std::string& name) {
    UniqueKey key = OpenRecord(name, KEY_SET_VALUE);
    DWORD shown = 1;
    if (key.Valid()) {
        RegSetValueExW(key.Get(), L"IsPromoted", 0, REG_DWORD, reinterpret_cast<BYTE*>(&shown),
                       sizeof shown);
    }
}

std::optional<std::string> Win32TrayIconRecords::KnownFolder(const std::string& guid) {
    std::optional<GUID> folder = ParseGuid(guid);
    wchar_t path[MAX_PATH] = {};
    if (!folder || FAILED(SHGetFolderPathEx(*folder, 0, nullptr, path, MAX_PATH)))
        return std::nullopt;
    return NarrowBuffer(path, MAX_PATH);
}

bool Win32TrayIconRecords::Watch(unsigned ms, unsigned quietMs, std::function<void()> changed) {
    if (!watched_.Valid()) {
        if (!changeEvent_.Valid()) changeEvent_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        watched_ = OpenKey(kRecordsKey, KEY_NOTIFY);
        if (!changeEvent_.Valid() || !watched_.Valid()) return false;
        ResetEvent(changeEvent_.Get());  // a signal left from the key closed last time
        quietPending_ = false;
        if (!ArmNotification()) return false;
    }
    changed_ = std::move(changed);
    quietMs_ = quietMs;
    deadline_ = GetTickCount64() + ms;
    return true;
}

// Records added or removed, and values written in any of them. One signal per arming.
bool Win32TrayIconRecords::ArmNotification() {
    if (RegNotifyChangeKeyValue(watched_.Get(), TRUE,
                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                changeEvent_.Get(), TRUE) == ERROR_SUCCESS) {
        return true;
    }
    watched_.Reset();
    return false;
}

DWORD Win32TrayIconRecords::WaitTime() const {
    if (!watched_.Valid()) return INFINITE;
    ULONGLONG now = GetTickCount64(), due = quietPending_ ? quietDeadline_ : deadline_;
    return now >= due ? 0 : static_cast<DWORD>(due - now);
}

// Armed again before the records are read, so that a change while they are read is not missed.
// The quiet period starts once they have been read: a record read then has been still for at
// least that long when the quiet call comes.
void Win32TrayIconRecords::OnSignalled(HANDLE) {
    if (!ArmNotification()) return;
    if (changed_) changed_();
    quietPending_ = true;
    quietDeadline_ = GetTickCount64() + quietMs_;
}

// Closing the key ends its notification, once the last change has had its quiet call.
void Win32TrayIconRecords::OnTimeout() {
    if (!watched_.Valid()) return;
    if (quietPending_ && GetTickCount64() >= quietDeadline_) {
        quietPending_ = false;
        if (changed_) changed_();
    }
    if (!quietPending_ && GetTickCount64() >= deadline_) watched_.Reset();
}

}  // namespace iconlane::win32
