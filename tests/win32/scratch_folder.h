// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace iconlane::win32 {

class ScratchFolder {
public:
    ScratchFolder() {
        static int made = 0;
        path_ = (std::filesystem::temp_directory_path() /
                 ("iconlane_w32_" + std::to_string(GetCurrentProcessId()) + "_" +
                  std::to_string(made++)))
                    .string();
        std::filesystem::create_directory(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "\\" + name; }

    // Writes `bytes` exactly (no line-end translation) and answers the file's full path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }

private:
    std::string path_;
};

}  // namespace iconlane::win32
