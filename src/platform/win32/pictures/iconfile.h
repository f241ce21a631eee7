// Writing an icon as an .ico file, from the icon's own bitmaps.
#pragma once

#include <windows.h>

#include <string>

namespace iconlane::win32 {

// The icon in the ICO file format, at its own size and colour depth, with its transparency mask.
// Fails with invalid picture (481) when the icon's bitmaps cannot be read.
std::string EncodeIconFile(HICON icon);

// Writes `contents` under a temporary name beside `path` and then renames it into place, so that
// a reader never sees a half-written file. Fails with a numbered file error.
void WriteFileReplacing(const std::string& path, const std::string& contents);

// WriteFileReplacing, unless the file already holds exactly `contents`: the cache of an icon that
// did not change is only read at start-up. True when the file was written.
bool WriteFileIfDifferent(const std::string& path, const std::string& contents);

}  // namespace iconlane::win32
