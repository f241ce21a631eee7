// Reading shortcut (.lnk) files through the shell's own shortcut object.
#pragma once

#include "platform/services.h"

namespace iconlane::win32 {

// COM is started on the first shortcut read, so a start without shortcuts pays nothing for it.
class Win32Shortcuts final : public Shortcuts {
public:
    Win32Shortcuts() = default;
    ~Win32Shortcuts() override;
    Win32Shortcuts(const Win32Shortcuts&) = delete;
    Win32Shortcuts& operator=(const Win32Shortcuts&) = delete;

    std::optional<ShortcutDetails> ReadShortcut(const std::string& path) override;

private:
    bool comStarted_ = false;
    bool comTried_ = false;
};

}  // namespace iconlane::win32
