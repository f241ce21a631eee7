#include "scenario_folder.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace e2e {
namespace {

constexpr const char* kScenarioRoot = "C:\\iconlane-e2e";

}  // namespace

std::string windowsPathFromUnix(std::string_view path) {
    if (!path.starts_with('/')) return std::string(path);
    std::string windows = "Z:";
    for (char c : path) windows += (c == '/') ? '\\' : c;
    return windows;
}

std::string builtProgramPath() {
    const char* configured = std::getenv("ICONLANE_EXE");
    if (configured == nullptr || *configured == '\0') {
        throw std::runtime_error("ICONLANE_EXE is not set: run the tests through ctest");
    }
    return windowsPathFromUnix(configured);
}

ScenarioFolder::ScenarioFolder(const std::string& name)
    : path_(std::string(kScenarioRoot) + "\\" + name) {
    const std::filesystem::path folder(path_);
    std::error_code error;
    // A leftover from an earlier run may hold files the program would read; start from nothing.
    std::filesystem::remove_all(folder, error);
    if (error) throw std::runtime_error("cannot empty " + path_ + ": " + error.message());
    std::filesystem::create_directories(folder, error);
    if (error) throw std::runtime_error("cannot create " + path_ + ": " + error.message());

    const std::string source = builtProgramPath();
    if (!CopyFileA(source.c_str(), program().c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + source + " to " + program() + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
}

std::string ScenarioFolder::pathOf(std::string_view fileName) const {
    return path_ + "\\" + std::string(fileName);
}

void ScenarioFolder::writeFile(std::string_view fileName, std::string_view bytes) const {
    const std::string target = pathOf(fileName);
    std::ofstream out(std::filesystem::path(target), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + target);
}

void ScenarioFolder::writeLines(std::string_view fileName,
                                const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    writeFile(fileName, text);
}

}  // namespace e2e
