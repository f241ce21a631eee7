// What the screen shows, read back from inside Wine: GetDC(NULL) + BitBlt copy the virtual
// desktop's pixels (the mouse pointer is not among them), and a copy can be kept as a BMP file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<RGBQUAD> pixels;  // top row first

    const RGBQUAD& at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
};

// Copies what the screen shows in `area` (screen coordinates); empty when it cannot.
ScreenImage captureScreen(const RECT& area);

// Saves `area` of the screen as a 32-bit BMP named `name` in the screenshot folder (the
// ICONLANE_E2E_SHOTS environment variable, created when missing); returns the path written, or
// nothing when the folder is not configured or the file cannot be written.
std::string saveScreenshot(const RECT& area, const std::string& name);

}  // namespace e2e
