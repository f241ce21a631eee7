// Pictures of menu items: 32-bit top-down DIB sections with premultiplied alpha, set on the item
// itself (MIIM_BITMAP), which the menus of Windows and of Wine blend onto their background. No
// item is owner-drawn, so the system's own menus (dark ones included) draw everything else.
#pragma once

#include <windows.h>

#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

// The small-icon size, in pixels, for the DPI of the monitor holding `point`.
int SmallIconPixelsAt(POINT point);

// `icon` (not taken) as a picture `pixels` square: an icon with an alpha channel keeps it, one
// without gets its alpha from its mask. An icon of another size is scaled by the system first.
// Null when the icon cannot be read.
UniqueBitmap MenuBitmapOf(HICON icon, int pixels);

// What an item shows until its picture comes: a faint frame of the picture's size.
UniqueBitmap PlaceholderBitmap(int pixels);

// The picture as the system's menus draw it right. Windows' menus blend an item's picture by its
// alpha channel; Wine's (8.0) copy it as it is, so that a transparent pixel shows black there:
// under Wine the picture is laid on the menu's colour instead.
UniqueBitmap ForMenus(UniqueBitmap picture);

}  // namespace iconlane::win32
