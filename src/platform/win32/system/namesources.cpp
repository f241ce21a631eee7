// Where Explorer's names come from: desktop.ini files read as Explorer reads them, through the
// system's profile functions, which know both the UTF-16 files that Explorer writes and the ANSI
// ones that older tools write; and the strings that indirect strings name, loaded from the
// resources of libraries.
#include "platform/win32/system/namesources.h"

#include <windows.h>
// shlwapi.h needs the types of windows.h.
#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "platform/win32/system/handles.h"
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

// As Windows itself reads a path of an indirect string. The shell's own SHLoadIndirectString
// expands none under Wine, so the libraries are loaded here.
std::wstring Expanded(const std::wstring& text) {
    std::wstring expanded(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded.data(),
                                                 static_cast<DWORD>(expanded.size()));
        if (length == 0) return text;
        if (length <= expanded.size()) {
            expanded.resize(length - 1);  // the count holds the terminating NUL
            return expanded;
        }
        expanded.resize(length);
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

std::optional<std::string> Win32NameSources::LoadLibraryString(const std::string& library,
                                                               std::uint32_t id) {
    const std::wstring path = Expanded(Wide(library));
    if (path.empty() || id > 0xFFFF) return std::nullopt;
    UniqueLibrary module(LoadLibraryExW(path.c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module.Valid()) return std::nullopt;
    // With no buffer, the system answers where the string is in the loaded resources.
    const wchar_t* text = nullptr;
    int length = LoadStringW(module.Get(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::nullopt;
    return Narrow(std::wstring_view(text, static_cast<std::size_t>(length)));
}

std::optional<std::string> Win32NameSources::LoadShellString(const std::string& indirect) {
    wchar_t text[2048] = {};
    if (FAILED(SHLoadIndirectString(Wide(indirect).c_str(), text, 2048, nullptr)))
        return std::nullopt;
    std::string loaded = NarrowBuffer(text, 2048);
    return loaded.empty() ? std::nullopt : std::optional(loaded);
}

}  // namespace iconlane::win32
