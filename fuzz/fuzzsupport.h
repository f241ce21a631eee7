// What the fuzz targets share: a broken invariant ends the run as a crash that libFuzzer reports
// (with the input that caused it), and a way to reach the 32,767-byte text positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace iconlane::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "\n*** invariant broken at %s:%d: %s\n", file, line, condition);
    std::abort();
}

// Text positions overflow from 32,767 on, far beyond the inputs libFuzzer likes to grow. An input
// that starts with 0xFF therefore stands for 32,700 + (its second byte) letters "x" followed by
// the rest of the input; any other input is taken as it is.
inline constexpr unsigned char kPaddingMarker = 0xFF;
inline constexpr std::size_t kPaddingBase = 32700;

inline std::string InputText(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    if (size >= 2 && data[0] == kPaddingMarker) {
        return std::string(kPaddingBase + data[1], 'x') + std::string(bytes + 2, size - 2);
    }
    return std::string(bytes, size);
}

}  // namespace iconlane::fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::iconlane::fuzz::Fail(#condition, __FILE__, __LINE__))
