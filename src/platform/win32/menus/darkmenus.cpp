#include "platform/win32/menus/darkmenus.h"

#include <string_view>

namespace iconlane::win32 {
namespace {

// uxtheme's ordinals 135, 104 and 136, not exported by name: the mode all the process's menus
// are drawn in ("allow dark": as the apps' setting says), the colour policy read again, and the
// flush that makes menus take them.
using SetPreferredAppMode = int(WINAPI*)(int mode);
using ThemeCall = void(WINAPI*)();
constexpr int kDefaultMode = 0, kAllowDark = 1;

struct ThemeFunctions {
    SetPreferredAppMode setMode = nullptr;
    ThemeCall refresh = nullptr;  // looked for too, though the others do without it
    ThemeCall flush = nullptr;
};

template <typename Function>
Function Ordinal(HMODULE library, WORD ordinal) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

// Looked up once, and only on a build that has them: elsewhere the ordinals are other functions.
const ThemeFunctions& Functions(unsigned build) {
    static const ThemeFunctions functions = [build] {
        ThemeFunctions found;
        if (build < kFirstDarkMenuBuild) return found;
        HMODULE uxtheme = GetModuleHandleW(L"uxtheme.dll");
        if (uxtheme == nullptr) {
            uxtheme = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        }
        if (uxtheme == nullptr) return found;
        found.setMode = Ordinal<SetPreferredAppMode>(uxtheme, 135);
        found.refresh = Ordinal<ThemeCall>(uxtheme, 104);
        found.flush = Ordinal<ThemeCall>(uxtheme, 136);
        return found;
    }();
    return functions;
}

// The real build: GetVersionEx answers what the program's manifest declares it knows.
unsigned WindowsBuild() {
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto getVersion = reinterpret_cast<RtlGetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return getVersion != nullptr && getVersion(&version) == 0 ? version.dwBuildNumber : 0;
}

// 1, or missing (older systems), is light.
bool AppsUseLightTheme() {
    DWORD light = 1, size = sizeof light;
    RegGetValueW(HKEY_CURRENT_USER,
                 L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                 L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
    return light != 0;
}

}  // namespace

MenuThemeFacts GatherMenuThemeFacts() {
    MenuThemeFacts facts;
    facts.build = WindowsBuild();
    const ThemeFunctions& functions = Functions(facts.build);
    facts.functionsFound = functions.setMode != nullptr && functions.flush != nullptr;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    facts.highContrast =
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    facts.appsUseLightTheme = AppsUseLightTheme();
    return facts;
}

MenuTheme ApplyMenuTheme() {
    MenuThemeFacts facts = GatherMenuThemeFacts();
    MenuTheme theme = ChooseMenuTheme(facts);
    if (theme == MenuTheme::kLeaveAlone) return theme;
    const ThemeFunctions& functions = Functions(facts.build);
    for (MenuThemeStep step : MenuThemeSteps(theme)) {
        if (step == MenuThemeStep::kAllowDark) functions.setMode(kAllowDark);
        if (step == MenuThemeStep::kDefaultMode) functions.setMode(kDefaultMode);
        if (step == MenuThemeStep::kRefreshColourPolicy && functions.refresh) functions.refresh();
        if (step == MenuThemeStep::kFlushMenuThemes) functions.flush();
    }
    return theme;
}

// The setting's name comes in lParam, as UTF-16 or as ANSI text as the window was made.
bool ChangesMenuTheme(HWND window, WPARAM wParam, LPARAM lParam) {
    if (wParam == SPI_SETHIGHCONTRAST) return true;
    if (lParam == 0) return false;
    return IsWindowUnicode(window)
               ? std::wstring_view(reinterpret_cast<const wchar_t*>(lParam)) == L"ImmersiveColorSet"
               : std::string_view(reinterpret_cast<const char*>(lParam)) == "ImmersiveColorSet";
}

}  // namespace iconlane::win32
