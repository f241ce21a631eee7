// Reading desktop.ini files as Explorer does: through the system's profile functions, which know
// both the UTF-16 files that Explorer writes and the ANSI ones that older tools write.
#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/win32/system/namesources.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

// More text than a desktop.ini section or value ever holds; a larger one is read this far.
constexpr std::size_t kMostCharacters = 1 << 20;

// A value (`key`), or the section's keys one after another each ended by a NUL (no `key`), read
// into a buffer grown until it fits: the system answers size - 1, or size - 2 for the keys, when
// it cut the text short.
std::wstring ProfileText(const std::wstring& file, const std::wstring& section,
                         const wchar_t* key) {
    std::wstring text(256, L'\0');
    for (;;) {
        DWORD length = GetPrivateProfileStringW(section.c_str(), key, L"", text.data(),
                                                static_cast<DWORD>(text.size()), file.c_str());
        if (length + 2 < text.size() || text.size() >= kMostCharacters) {
            text.resize(length);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

}  // namespace

IniValues Win32NameSources::ReadIniSection(const std::string& path, const std::string& section) {
    const std::wstring file = Wide(path), name = Wide(section);
    IniValues values;
    if (file.empty() || GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return values;
    const std::wstring keys = ProfileText(file, name, nullptr);
    for (std::size_t at = 0; at < keys.size(); at += std::wcslen(keys.c_str() + at) + 1) {
        const wchar_t* key = keys.c_str() + at;
        if (*key != L'\0') values.emplace_back(Narrow(key), Narrow(ProfileText(file, name, key)));
    }
    return values;
}

}  // namespace iconlane::win32
