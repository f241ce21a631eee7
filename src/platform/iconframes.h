// The frames of an icon, as an .ico file's directory or a program's icon group lists them, and the
// one that makes the sharpest picture at a given size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace iconlane {

struct IconFrame {
    int width = 0;  // in pixels; a directory's 0 stands for 256
    int height = 0;
    int bitCount = 0;            // 0 where the directory does not tell
    std::uint32_t bytes = 0;     // the size of the frame's image
    std::uint32_t location = 0;  // in a file the image's offset, in a group its icon's resource id
};

enum class IconDirectoryKind { kFile, kGroup };

// The frames a directory lists; none for bytes that hold no icon directory. A file's frames whose
// images do not lie within the file are left out.
std::vector<IconFrame> ReadIconDirectory(std::string_view bytes, IconDirectoryKind kind);

// The frame to draw at width x height: the smallest one at least that large, else the largest,
// for a frame scaled down keeps its detail where one scaled up blurs; of frames of one size the
// one with the most colours. An index into `frames`, which must not be empty.
std::size_t ChooseIconFrame(const std::vector<IconFrame>& frames, int width, int height);

}  // namespace iconlane
