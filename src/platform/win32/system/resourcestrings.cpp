// The strings that indirect strings name, loaded from the resources of libraries.
#include <windows.h>
// shlwapi.h needs the types of windows.h.
#include <shlwapi.h>

#include <string>

#include "platform/win32/system/handles.h"
#include "platform/win32/system/namesources.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

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
