// A fresh folder per scenario, holding its own copy of iconlane.exe and the files it reads.
//
// The program looks for Iconlane.ini beside itself, so every scenario needs its own copy of the
// exe; the folders live on drive C: of the test session's Wine prefix.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace e2e {

class ScenarioFolder {
public:
    // Empties (or creates) C:\iconlane-e2e\<name> and copies the built program into it.
    // Throws std::runtime_error when the folder or the copy cannot be made.
    explicit ScenarioFolder(const std::string& name);

    const std::string& path() const { return path_; }
    std::string pathOf(std::string_view fileName) const;
    std::string program() const { return pathOf("iconlane.exe"); }

    // Writes the bytes exactly as given.
    void writeFile(std::string_view fileName, std::string_view bytes) const;
    // Writes each line followed by CR LF, as a Windows editor saves a text file.
    void writeLines(std::string_view fileName, const std::vector<std::string>& lines) const;

private:
    std::string path_;
};

// Windows path of the built iconlane.exe, from the ICONLANE_EXE environment variable (set by the
// test registration); throws std::runtime_error when it is not set.
std::string builtProgramPath();

// Wine shows the Unix root as drive Z:, so /a/b becomes Z:\a\b; Windows paths pass unchanged.
std::string windowsPathFromUnix(std::string_view path);

}  // namespace e2e
