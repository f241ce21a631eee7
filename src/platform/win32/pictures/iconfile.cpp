#include "platform/win32/pictures/iconfile.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

// A DIB read back from a bitmap: its header and palette, then its rows, bottom-up.
struct Dib {
    BITMAPINFOHEADER header{};
    std::vector<RGBQUAD> palette;
    std::vector<std::uint8_t> bits;
};

Dib ReadDib(HDC screen, HBITMAP bitmap, int width, int height, WORD bitsPerPixel) {
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = bitsPerPixel;
    header->biCompression = BI_RGB;
    std::size_t stride = ((static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32) * 4;
    Dib dib;
    dib.bits.resize(stride * static_cast<std::size_t>(height));
    auto* bitmapInfo = reinterpret_cast<BITMAPINFO*>(info.data());
    if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), dib.bits.data(), bitmapInfo,
                  DIB_RGB_COLORS) == 0) {
        throw RuntimeError(kInvalidPicture);
    }
    dib.header = *header;
    if (bitsPerPixel <= 8) {
        auto* colours = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
        dib.palette.assign(colours, colours + (1u << bitsPerPixel));
    }
    return dib;
}

template <typename T>
void Append(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

std::string EncodeIconFile(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) throw RuntimeError(kInvalidPicture);
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP maskBitmap{}, colourBitmap{};
    if (!GetObjectW(mask.Get(), sizeof maskBitmap, &maskBitmap))
        throw RuntimeError(kInvalidPicture);
    // A monochrome icon keeps its mask above its image in one bitmap of double height.
    bool monochrome = !colour.Valid();
    if (!monochrome && !GetObjectW(colour.Get(), sizeof colourBitmap, &colourBitmap)) {
        throw RuntimeError(kInvalidPicture);
    }
    int width = maskBitmap.bmWidth;
    int height = monochrome ? maskBitmap.bmHeight / 2 : maskBitmap.bmHeight;
    WORD depth = monochrome ? 1 : colourBitmap.bmBitsPixel;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) depth = 32;

    HDC screen = GetDC(nullptr);
    Dib image, andMask;
    try {
        andMask = ReadDib(screen, mask.Get(), width, maskBitmap.bmHeight, 1);
        if (monochrome) {
            // Bottom-up rows: the image is the lower half of the bitmap, the mask the upper one.
            std::size_t half = andMask.bits.size() / 2;
            image = andMask;
            image.bits.resize(half);
            andMask.bits.erase(andMask.bits.begin(), andMask.bits.begin() + half);
        } else {
            image = ReadDib(screen, colour.Get(), width, height, depth);
        }
    } catch (...) {
        ReleaseDC(nullptr, screen);
        throw;
    }
    ReleaseDC(nullptr, screen);

    BITMAPINFOHEADER header = image.header;
    header.biHeight = height * 2;  // the icon format counts image and mask together
    header.biSizeImage = static_cast<DWORD>(image.bits.size() + andMask.bits.size());
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    std::size_t paletteBytes = image.palette.size() * sizeof(RGBQUAD);
    DWORD imageBytes = static_cast<DWORD>(sizeof header + paletteBytes + header.biSizeImage);

    std::string out;
    Append(out, WORD{0});
    Append(out, WORD{1});  // an icon, not a cursor
    Append(out, WORD{1});  // one image
    Append(out, static_cast<BYTE>(width >= 256 ? 0 : width));
    Append(out, static_cast<BYTE>(height >= 256 ? 0 : height));
    Append(out, static_cast<BYTE>(depth <= 8 ? (1u << depth) % 256 : 0));
    Append(out, BYTE{0});
    Append(out, WORD{1});
    Append(out, depth);
    Append(out, imageBytes);
    Append(out, DWORD{6 + 16});
    Append(out, header);
    out.append(reinterpret_cast<const char*>(image.palette.data()), paletteBytes);
    out.append(reinterpret_cast<const char*>(image.bits.data()), image.bits.size());
    out.append(reinterpret_cast<const char*>(andMask.bits.data()), andMask.bits.size());
    return out;
}

}  // namespace iconlane::win32
