#include "screen_pixels.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "scenario_folder.h"
#include "win_handle.h"

namespace e2e {
namespace {

template <class Record>
void append(std::string& bytes, const Record& record) {
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
}

// A top-down 32-bit BMP: file header, info header, then the rows as captured.
std::string bitmapFile(const ScreenImage& image) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = -image.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(image.pixels.size() * sizeof(RGBQUAD));
    std::string bytes;
    append(bytes, file);
    append(bytes, info);
    // BitBlt leaves the fourth byte 0, which viewers take as fully transparent.
    for (RGBQUAD pixel : image.pixels) {
        pixel.rgbReserved = 255;
        append(bytes, pixel);
    }
    return bytes;
}

}  // namespace

ScreenImage captureScreen(const RECT& area) {
    ScreenImage image{area.right - area.left, area.bottom - area.top, {}};
    if (image.width <= 0 || image.height <= 0) return {};
    ScreenDc screen;
    MemoryDc memory(screen.get());
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = image.width;
    format.bmiHeader.biHeight = -image.height;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    SelectedGdiObject bitmap(
        memory.get(), CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !BitBlt(memory.get(), 0, 0, image.width, image.height, screen.get(), area.left,
                           area.top, SRCCOPY)) {
        return {};
    }
    GdiFlush();
    const auto* first = static_cast<const RGBQUAD*>(bits);
    image.pixels.assign(first, first + static_cast<std::size_t>(image.width) * image.height);
    return image;
}

std::string saveScreenshot(const RECT& area, const std::string& name) {
    const char* folder = std::getenv("ICONLANE_E2E_SHOTS");
    const ScreenImage image = captureScreen(area);
    if (folder == nullptr || *folder == '\0' || image.pixels.empty()) return {};
    const std::filesystem::path path = std::filesystem::path(windowsPathFromUnix(folder)) / name;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bitmapFile(image);
    out.close();
    return out ? std::string(folder) + "/" + name : std::string();
}

}  // namespace e2e
