// Win32 implementations of the picture and tray services.
#pragma once

#include <shellapi.h>
#include <windows.h>

#include "platform/services.h"
#include "platform/win32/handles.h"

namespace iconlane::win32 {

// An icon picture; an owned icon is destroyed with the picture, a shared one never.
class IconPicture final : public Picture {
  public:
    static PicturePtr Owning(HICON icon);
    static PicturePtr Shared(HICON icon);

    std::uintptr_t Handle() const override;

  private:
    IconPicture(HICON owned, HICON shared) : owned_(owned), shared_(shared) {}

    UniqueIcon owned_;
    HICON shared_;
};

class Win32Pictures final : public Pictures {
  public:
    PicturePtr LoadPictureFile(const std::string& path) override;
    PicturePtr ExtractIconPicture(const std::string& file, std::int32_t number) override;
    std::string SystemDirectory() override;
    PicturePtr UpImage() override;
};

// The shell's record for a tray call, made from the program's record.
NOTIFYICONDATAA ToNotifyIconData(const TrayRecord& record);

class Win32TrayShell final : public TrayShell {
  public:
    void NotifyIcon(TrayOperation operation, const TrayRecord& record) override;
};

}  // namespace iconlane::win32
