// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace iconlane::win32 {

struct ScratchFolder {
    ScratchFolder() { std::filesystem::create_directory(path_); }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string Path(const std::string& name) const { return path_ + "\\" + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    const std::string path_ = (std::filesystem::temp_directory_path() /
                               ("iconlane_w32_" + std::to_string(GetTickCount64())))
                                  .string();
};

}  // namespace iconlane::win32
