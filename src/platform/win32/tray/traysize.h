// The size the task bar's tray shows icons at: the small-icon size for the DPI of the monitor the
// task bar is on. Pictures for the tray are made at that size, so that each source's own frame
// drawn for it is shown rather than a larger one shrunk by the task bar.
#pragma once

#include <windows.h>

namespace iconlane::win32 {

// The small-icon size for the DPI of a monitor, in pixels.
int SmallIconPixelsOn(HMONITOR monitor);

// In pixels, as last measured; measured on first use.
int TrayIconPixels();

// Measures again (the task bar may have moved to another monitor, or a monitor's DPI changed);
// true when the size is not what it was.
bool RemeasureTrayIconPixels();

}  // namespace iconlane::win32
