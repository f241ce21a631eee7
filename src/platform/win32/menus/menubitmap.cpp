#include "platform/win32/menus/menubitmap.h"

#include <cstdint>
#include <vector>

#include "platform/win32/tray/traysize.h"

namespace iconlane::win32 {
namespace {

using Pixel = std::uint32_t;  // B, G, R, A from the lowest byte up

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

UniqueBitmap NewPicture(int pixels, Pixel** bits) {
    BITMAPINFO info = TopDown32(pixels, pixels);
    void* raw = nullptr;
    UniqueBitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0));
    *bits = static_cast<Pixel*>(raw);
    return picture;
}

// The rows of a bitmap as 32-bit pixels, top row first; a monochrome one reads black and white.
std::vector<Pixel> RowsOf(HBITMAP bitmap, int width, int height) {
    std::vector<Pixel> rows(static_cast<std::size_t>(width) * height);
    BITMAPINFO info = TopDown32(width, height);
    HDC screen = GetDC(nullptr);
    int read = GetDIBits(screen, bitmap, 0, height, rows.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (read != height) rows.clear();
    return rows;
}

Pixel Premultiplied(Pixel pixel) {
    Pixel alpha = pixel >> 24;
    Pixel result = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        Pixel channel = (pixel >> shift) & 0xFF;
        result |= ((channel * alpha + 127) / 255) << shift;
    }
    return result;
}

// The picture of an icon exactly `pixels` square; null for an icon of another size. A colour
// icon has colour and mask bitmaps of its size; a monochrome one only a mask twice as tall, its
// AND half over its XOR half.
UniqueBitmap PictureOfSize(HICON icon, int pixels) {
    ICONINFO parts{};
    if (!GetIconInfo(icon, &parts)) return {};
    UniqueBitmap colour(parts.hbmColor), mask(parts.hbmMask);
    BITMAP shape{};
    if (!GetObjectW(mask.Get(), sizeof shape, &shape)) return {};
    bool monochrome = !colour.Valid();
    if (shape.bmWidth != pixels || shape.bmHeight != (monochrome ? 2 : 1) * pixels) return {};
    std::vector<Pixel> cut = RowsOf(mask.Get(), pixels, shape.bmHeight);
    std::size_t count = static_cast<std::size_t>(pixels) * pixels;
    // Rows that could not be read leave the mask empty: nothing to cut the paint from.
    if (cut.size() < count) return {};
    std::vector<Pixel> paint = monochrome ? std::vector<Pixel>(cut.begin() + count, cut.end())
                                          : RowsOf(colour.Get(), pixels, pixels);
    if (paint.size() != count) return {};
    bool ownAlpha = false;
    for (Pixel pixel : paint) ownAlpha |= (pixel >> 24) != 0;
    Pixel* bits = nullptr;
    UniqueBitmap picture = NewPicture(pixels, &bits);
    if (!picture.Valid()) return {};
    for (std::size_t n = 0; n < count; ++n) {
        // Without an alpha channel, the mask's set bits are the transparent ones.
        Pixel alpha = ownAlpha ? paint[n] >> 24 : (cut[n] & 0xFFFFFF) != 0 ? 0 : 0xFF;
        bits[n] = Premultiplied((paint[n] & 0xFFFFFF) | (alpha << 24));
    }
    GdiFlush();
    return picture;
}

// Wine's own function, which Windows lacks.
bool MenusBlendPictures() {
    static const bool blend =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
    return blend;
}

}  // namespace

int SmallIconPixelsAt(POINT point) {
    return SmallIconPixelsOn(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

UniqueBitmap MenuBitmapOf(HICON icon, int pixels) {
    if (icon == nullptr || pixels <= 0) return {};
    UniqueBitmap picture = PictureOfSize(icon, pixels);
    if (picture.Valid()) return picture;
    // The system picks the icon's best frame for the size, or scales the one it has.
    UniqueIcon scaled(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, pixels, pixels, 0)));
    return scaled.Valid() ? PictureOfSize(scaled.Get(), pixels) : UniqueBitmap();
}

UniqueBitmap PlaceholderBitmap(int pixels) {
    Pixel* bits = nullptr;
    UniqueBitmap picture = NewPicture(pixels, &bits);
    if (!picture.Valid()) return {};
    // A grey frame a quarter opaque, inset a little: a picture still to come, not a broken one.
    const int inset = pixels / 8, last = pixels - 1 - inset;
    for (int y = 0; y < pixels; ++y) {
        for (int x = 0; x < pixels; ++x) {
            bool inside = x >= inset && x <= last && y >= inset && y <= last;
            bool edge = x == inset || x == last || y == inset || y == last;
            bits[y * pixels + x] = inside && edge ? Premultiplied(0x40808080) : 0;
        }
    }
    GdiFlush();
    return picture;
}

UniqueBitmap ForMenus(UniqueBitmap picture) {
    DIBSECTION dib{};
    if (MenusBlendPictures() ||
        GetObjectW(picture.Get(), sizeof dib, &dib) != static_cast<int>(sizeof dib) ||
        dib.dsBm.bmBitsPixel != 32) {
        return picture;
    }
    COLORREF under = GetSysColor(COLOR_MENU);
    const Pixel background = (GetRValue(under) << 16) | (GetGValue(under) << 8) | GetBValue(under);
    auto* bits = static_cast<Pixel*>(dib.dsBm.bmBits);
    for (long n = 0, count = long(dib.dsBm.bmWidth) * dib.dsBm.bmHeight; n < count; ++n) {
        Pixel alpha = bits[n] >> 24, opaque = 0xFF000000;
        for (int shift = 0; shift < 24; shift += 8) {
            Pixel over = (bits[n] >> shift) & 0xFF, below = (background >> shift) & 0xFF;
            opaque |= (over + (below * (255 - alpha) + 127) / 255) << shift;
        }
        bits[n] = opaque;
    }
    GdiFlush();
    return picture;
}

}  // namespace iconlane::win32
