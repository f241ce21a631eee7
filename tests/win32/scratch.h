// What the Win32-layer tests share: a scratch folder, a file's bytes, a call's error number.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/errors.h"

namespace iconlane::win32 {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
struct ScratchFolder {
    ScratchFolder() { std::filesystem::create_directories(path_); }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string Path(const std::string& name) const { return path_ + "\\" + name; }
    // A file of the folder holding `text`; its path.
    std::string File(const std::string& name, const std::string& text = "x") const {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
    const std::string path_ = (std::filesystem::temp_directory_path() /
                               ("iconlane_w32_" + std::to_string(GetTickCount64()) + "_" +
                                std::to_string(GetCurrentThreadId())))
                                  .string();
};

inline int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

inline std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace iconlane::win32
