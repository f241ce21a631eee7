// Starting the program under test with an exact command line, and watching it end.
//
// Iconlane reads the raw command line, so the text is handed to CreateProcessA byte for byte
// (a shell or Wine's own launcher would rebuild it from argv and lose quotes and blanks).
#pragma once

#include <windows.h>

#include <chrono>
#include <map>
#include <string>

#include "win_handle.h"

namespace e2e {

// Environment variable names compare without regard to case on Windows.
struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }
};
using Environment = std::map<std::string, std::string, NameLess>;

struct LaunchOptions {
    std::string program;           // Windows path of the exe
    std::string arguments;         // command-line text after the quoted program path and one blank
    std::string currentDirectory;  // Windows path
    Environment environment;       // added to (or replacing in) this process's own environment
};

class ProgramProcess {
public:
    // Starts the program; throws std::runtime_error when CreateProcessA fails.
    explicit ProgramProcess(const LaunchOptions& options);
    // A process still running here was not ended by its test: kill it so that it cannot disturb
    // the next scenario (the icons of a killed program linger in the tray for a moment).
    ~ProgramProcess();

    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    DWORD id() const { return id_; }
    const std::string& commandLine() const { return commandLine_; }
    bool running() const;
    bool waitForExit(std::chrono::milliseconds timeout) const;

    // Last resort only: a killed program skips its own clean-up.
    void kill();

private:
    UniqueHandle process_;
    DWORD id_ = 0;
    std::string commandLine_;
};

// The command line CreateProcessA receives: the quoted program path, then the arguments.
std::string commandLineFor(const std::string& program, const std::string& arguments);

// This process's environment with `overrides` applied, as a CreateProcessA environment block.
std::string environmentBlock(const Environment& overrides);

}  // namespace e2e
