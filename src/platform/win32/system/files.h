// Files and folders: the program's file system service, and whole-file reads and writes that no
// other program's reader or writer can catch half done.
#pragma once

#include <string>

#include "platform/services.h"

namespace iconlane::win32 {

class Win32FileSystem final : public FileSystem {
public:
    std::string FindFirst(const std::string& pattern, SearchKind kind) override;
    void CreateFolder(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    std::string ReadFileStart(const std::string& path, std::size_t maxBytes) override;
    void WriteFile(const std::string& path, const std::string& bytes) override;
    std::optional<std::vector<FolderItem>> ListFolder(const std::string& folder) override;
    std::optional<FolderItem> Details(const std::string& path) override;
};

// The whole contents of a file of at most 64 MB (larger ones fail with error 7); other failures
// with the numbered error of the system's.
std::string ReadWholeFile(const std::string& path);

// The numbered error for a failed file call's GetLastError() value.
int FileErrorNumber(unsigned long systemError);

// Writes `contents` under a temporary name beside `path` and then renames it into place, so that
// a reader never sees a half-written file. Fails with a numbered file error.
void WriteFileReplacing(const std::string& path, const std::string& contents);

// WriteFileReplacing, unless the file already holds exactly `contents`: the cache of an icon that
// did not change is only read at start-up. True when the file was written.
bool WriteFileIfDifferent(const std::string& path, const std::string& contents);

}  // namespace iconlane::win32
