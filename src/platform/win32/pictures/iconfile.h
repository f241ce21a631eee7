// An icon as an .ico file, from the icon's own bitmaps.
#pragma once

#include <windows.h>

#include <string>

namespace iconlane::win32 {

// The icon in the ICO file format, at its own size and colour depth, with its transparency mask.
// Fails with invalid picture (481) when the icon's bitmaps cannot be read.
std::string EncodeIconFile(HICON icon);

}  // namespace iconlane::win32
