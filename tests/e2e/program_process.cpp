#include "program_process.h"

#include <stdexcept>

namespace e2e {
namespace {

// Reads this process's environment; entries such as "=C:=C:\dir" keep their leading "=".
Environment currentEnvironment() {
    Environment variables;
    LPCH block = GetEnvironmentStringsA();
    if (block == nullptr) return variables;
    for (const char* entry = block; *entry != '\0'; entry += lstrlenA(entry) + 1) {
        const std::string text(entry);
        const std::size_t equals = text.find('=', 1);
        if (equals == std::string::npos) continue;
        variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsA(block);
    return variables;
}

}  // namespace

std::string commandLineFor(const std::string& program, const std::string& arguments) {
    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) line += " " + arguments;
    return line;
}

std::string environmentBlock(const Environment& overrides) {
    Environment variables = currentEnvironment();
    for (const auto& [name, value] : overrides) variables[name] = value;
    // The block is sorted by name (the map's order), each entry ends in NUL, the block in one more.
    std::string block;
    for (const auto& [name, value] : variables) {
        block += name + "=" + value;
        block += '\0';
    }
    block += '\0';
    return block;
}

ProgramProcess::ProgramProcess(const LaunchOptions& options)
    : commandLine_(commandLineFor(options.program, options.arguments)) {
    std::string mutableLine = commandLine_;  // CreateProcessA may write into its command line
    std::string environment = environmentBlock(options.environment);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const char* directory =
        options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str();
    if (!CreateProcessA(options.program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0,
                        environment.data(), directory, &startup, &info)) {
        throw std::runtime_error("CreateProcessA failed for " + commandLine_ + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

ProgramProcess::~ProgramProcess() {
    if (running()) kill();
}

bool ProgramProcess::running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool ProgramProcess::waitForExit(std::chrono::milliseconds timeout) const {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) ==
           WAIT_OBJECT_0;
}

void ProgramProcess::kill() {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
}

}  // namespace e2e
