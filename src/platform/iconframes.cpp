#include "platform/iconframes.h"

namespace iconlane {
namespace {

constexpr std::size_t kHeaderSize = 6;

std::uint32_t Number(std::string_view bytes, std::size_t at, std::size_t length) {
    std::uint32_t value = 0;
    for (std::size_t n = length; n-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + n]);
    return value;
}

// True when `a` is the better frame to draw at width x height than `b`.
bool Sharper(const IconFrame& a, const IconFrame& b, int width, int height) {
    const bool aCovers = a.width >= width && a.height >= height;
    const bool bCovers = b.width >= width && b.height >= height;
    if (aCovers != bCovers) return aCovers;
    const long aArea = long{a.width} * a.height, bArea = long{b.width} * b.height;
    if (aArea != bArea) return aCovers ? aArea < bArea : aArea > bArea;
    return a.bitCount > b.bitCount;
}

}  // namespace

// The header: 0, the type (1 icon, 2 cursor), the count; then one entry a frame: width, height,
// colours, 0, planes, bits a pixel (a cursor's hot spot instead), the image's size, then its offset
// (4 bytes) in a file or its resource id (2 bytes) in a group.
std::vector<IconFrame> ReadIconDirectory(std::string_view bytes, IconDirectoryKind kind) {
    const bool file = kind == IconDirectoryKind::kFile;
    const std::size_t entrySize = file ? 16 : 14;
    if (bytes.size() < kHeaderSize || Number(bytes, 0, 2) != 0) return {};
    const std::uint32_t type = Number(bytes, 2, 2), count = Number(bytes, 4, 2);
    if ((type != 1 && type != 2) || bytes.size() < kHeaderSize + count * entrySize) return {};
    std::vector<IconFrame> frames;
    for (std::size_t at = kHeaderSize; at < kHeaderSize + count * entrySize; at += entrySize) {
        IconFrame frame;
        frame.width = bytes[at] == 0 ? 256 : static_cast<unsigned char>(bytes[at]);
        frame.height = bytes[at + 1] == 0 ? 256 : static_cast<unsigned char>(bytes[at + 1]);
        frame.bitCount = type == 1 ? static_cast<int>(Number(bytes, at + 6, 2)) : 0;
        frame.bytes = Number(bytes, at + 8, 4);
        frame.location = Number(bytes, at + 12, file ? 4 : 2);
        if (frame.bytes == 0 || (file && (frame.location > bytes.size() ||
                                          frame.bytes > bytes.size() - frame.location)))
            continue;
        frames.push_back(frame);
    }
    return frames;
}

std::size_t ChooseIconFrame(const std::vector<IconFrame>& frames, int width, int height) {
    std::size_t best = 0;
    for (std::size_t n = 1; n < frames.size(); ++n)
        if (Sharper(frames[n], frames[best], width, height)) best = n;
    return best;
}

}  // namespace iconlane
