#include "platform/win32/pictures/shortcuts.h"

#include <windows.h>
// The shell's shortcut interfaces need the types of windows.h.
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "platform/errors.h"
#include "platform/win32/pictures/itempicture.h"
#include "platform/win32/pictures/pictures.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/widetext.h"
#include "platform/win32/tray/traysize.h"

namespace iconlane::win32 {
namespace {

ShortcutDetails DetailsOf(IShellLinkW& link) {
    ShortcutDetails details;
    wchar_t text[INFOTIPSIZE + 1] = {};
    if (SUCCEEDED(link.GetDescription(text, INFOTIPSIZE)))
        details.description = NarrowBuffer(text, INFOTIPSIZE);
    wchar_t icon[MAX_PATH + 1] = {};
    int number = 0;
    if (SUCCEEDED(link.GetIconLocation(icon, MAX_PATH, &number))) {
        details.iconFile = NarrowBuffer(icon, MAX_PATH);
        details.iconNumber = number;
    }
    // The path as stored: no search for a moved target, which could take long or show a window.
    wchar_t target[MAX_PATH + 1] = {};
    if (link.GetPath(target, MAX_PATH, nullptr, 0) == S_OK)
        details.target = NarrowBuffer(target, MAX_PATH);
    PIDLIST_ABSOLUTE items = nullptr;
    details.hasItemList = link.GetIDList(&items) == S_OK && items != nullptr;
    ILFree(items);
    return details;
}

}  // namespace

Win32Shortcuts::~Win32Shortcuts() {
    if (comStarted_) {
        using Uninitialize = void(WINAPI*)();
        reinterpret_cast<Uninitialize>(
            reinterpret_cast<void*>(GetProcAddress(ole32_, "CoUninitialize")))();
    }
    if (ole32_ != nullptr) FreeLibrary(ole32_);
}

bool Win32Shortcuts::StartCom() {
    if (tried_) return createInstance_ != nullptr;
    tried_ = true;
    ole32_ = LoadLibraryW(L"ole32.dll");
    if (ole32_ == nullptr) return false;
    using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
    auto initialize = reinterpret_cast<Initialize>(
        reinterpret_cast<void*>(GetProcAddress(ole32_, "CoInitializeEx")));
    auto create = reinterpret_cast<CreateComInstance>(
        reinterpret_cast<void*>(GetProcAddress(ole32_, "CoCreateInstance")));
    if (initialize == nullptr || create == nullptr) return false;
    // Already started in another mode still lets the shell's objects be made; only a start of
    // our own is ended again.
    comStarted_ = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    createInstance_ = create;
    return true;
}

std::optional<ShortcutDetails> Win32Shortcuts::ReadShortcut(const std::string& path) {
    if (!StartCom()) return std::nullopt;
    ComRef<IShellLinkW> link;
    if (FAILED(createInstance_(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               link.ReceiveAny()))) {
        return std::nullopt;
    }
    ComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveAny()))) return std::nullopt;
    std::wstring widePath = Wide(path);
    if (widePath.empty() || FAILED(file->Load(widePath.c_str(), STGM_READ))) return std::nullopt;
    return DetailsOf(*link);
}

PicturePtr Win32Shortcuts::ItemListPicture(const std::string& path) {
    return IconToPicture(itemPictures_.Ask(Wide(path), pixels_ > 0 ? pixels_ : TrayIconPixels()));
}

bool Win32Shortcuts::AskingAbout(const std::string& path) const {
    return itemPictures_.Waits(Wide(path));
}

void Win32Shortcuts::MakeShortcut(const std::string& path, const std::string& target) {
    if (!StartCom()) throw RuntimeError(kInternalError);
    SaveNewShortcut(createInstance_, path, target);
}

void Win32Shortcuts::WhenItemPictureArrives(std::function<void(const std::string&)> arrived) {
    itemPictures_.WhenArrived(
        [arrived = std::move(arrived)](const std::wstring& path) { arrived(Narrow(path)); });
}

}  // namespace iconlane::win32
