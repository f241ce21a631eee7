// Reading shortcut (.lnk) files through the shell's own shortcut object, and writing new ones.
#pragma once

#include <windows.h>

#include "platform/services.h"
#include "platform/win32/pictures/itempicture.h"
#include "platform/win32/pictures/shortcutfile.h"

namespace iconlane::win32 {

// COM and its library are loaded on the first shortcut read, so a start without shortcuts pays
// nothing for them.
class Win32Shortcuts final : public Shortcuts {
public:
    // Item pictures at `pixels`; 0: at the tray's size as it is now.
    explicit Win32Shortcuts(int pixels = 0) : pixels_(pixels) {}
    ~Win32Shortcuts() override;
    Win32Shortcuts(const Win32Shortcuts&) = delete;
    Win32Shortcuts& operator=(const Win32Shortcuts&) = delete;

    std::optional<ShortcutDetails> ReadShortcut(const std::string& path) override;
    PicturePtr ItemListPicture(const std::string& path) override;
    void WhenItemPictureArrives(std::function<void(const std::string& path)> arrived) override;
    void MakeShortcut(const std::string& path, const std::string& target) override;
    // What the message loop serves for the shell's late answers; it must outlive the loop.
    LoopWaitable& LateAnswers() { return itemPictures_; }
    // Item pictures from now on at `pixels`.
    void SetItemPixels(int pixels) { pixels_ = pixels; }
    // Whether the shell still owes its picture of the item the shortcut `path` points to.
    bool AskingAbout(const std::string& path) const;

private:
    bool StartCom();

    bool tried_ = false;
    HMODULE ole32_ = nullptr;
    CreateComInstance createInstance_ = nullptr;
    bool comStarted_ = false;
    int pixels_;
    ItemPictures itemPictures_;
};

}  // namespace iconlane::win32
