// Reading shortcut (.lnk) files through the shell's own shortcut object.
#pragma once

#include <windows.h>

#include "platform/services.h"

namespace iconlane::win32 {

// COM and its library are loaded on the first shortcut read, so a start without shortcuts pays
// nothing for them.
class Win32Shortcuts final : public Shortcuts {
public:
    Win32Shortcuts() = default;
    ~Win32Shortcuts() override;
    Win32Shortcuts(const Win32Shortcuts&) = delete;
    Win32Shortcuts& operator=(const Win32Shortcuts&) = delete;

    std::optional<ShortcutDetails> ReadShortcut(const std::string& path) override;
    PicturePtr ItemListPicture(const std::string& path) override;

private:
    using CreateInstance = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    bool StartCom();

    bool tried_ = false;
    HMODULE ole32_ = nullptr;
    CreateInstance createInstance_ = nullptr;
    bool comStarted_ = false;
};

}  // namespace iconlane::win32
