// The pictures of the program: icons wrapped as pictures, extracted from files, loaded from icon
// files and saved as them, and the program's own.
#pragma once

#include <windows.h>

#include "platform/services.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

// An icon picture; an owned icon is destroyed with the picture, a shared one never.
class IconPicture final : public Picture {
public:
    static PicturePtr Owning(HICON icon);
    static PicturePtr Shared(HICON icon);

    std::uintptr_t Handle() const override;
    // The icon for a new owner: the picture's own, or a copy of a shared one.
    HICON TakeIcon();

private:
    IconPicture(HICON owned, HICON shared) : owned_(owned), shared_(shared) {}

    UniqueIcon owned_;
    HICON shared_;
};

// The icon wrapped into a picture that owns it; null for the icon 0.
PicturePtr IconToPicture(HICON icon);

// Pictures at the size the tray shows icons at (traysize.h), or at a size of their own.
class Win32Pictures final : public Pictures {
public:
    explicit Win32Pictures(int pixels = 0) : pixels_(pixels) {}
    PicturePtr LoadPictureFile(const std::string& path) override;
    PicturePtr ExtractIconPicture(const std::string& file, std::int32_t number) override;
    void SaveIconFile(const Picture& picture, const std::string& path) override;
    std::string SystemDirectory() override;
    std::optional<IconLocation> ShellIconLocation(const std::string& path) override;
    PicturePtr UpImage() override;
    PicturePtr BuiltInIcon() override;

private:
    // One of the program's own icons at the tray's size, shared (ProgramIcon).
    PicturePtr ProgramPicture(int resourceId);
    int Pixels() const;

    int pixels_;  // 0: the tray's size as it is now
};

// The icon a picture holds, for a new owner; null for none.
HICON TakeIcon(PicturePtr picture);

// One of the program's own icons at the given size, from its frame of that size, else the nearest
// larger one scaled down: shared, never destroyed by its users.
HICON ProgramIcon(int resourceId, int width, int height);

}  // namespace iconlane::win32
