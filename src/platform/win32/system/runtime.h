// The run-time services of the system: message boxes, the environment, the process, the
// registry and the shell that opens targets.
#pragma once

#include "platform/services.h"

namespace iconlane::win32 {

class Win32Dialogs final : public Dialogs {
public:
    void ShowMessage(const std::string& text, MessageStyle style,
                     const std::string& title) override;
};

class Win32Environment final : public Environment {
public:
    std::string Variable(const std::string& name) const override;
    std::string RoamingFolder() const override;
};

class Win32Process final : public Process {
public:
    ProgramVersion Version() const override;
    std::string DecimalSeparator() const override;
    std::string ProgramFolder() const override;
    std::string CommandLine() const override;
    std::string CurrentFolder() const override;
    [[noreturn]] void EndNow() override;
    std::string FromLegacyCodePage(const std::string& bytes) const override;
    std::int64_t Today() const override;
};

// Targets opened by the shell.
class Win32Shell final : public Shell {
public:
    std::int32_t OpenTarget(const std::string& target) override;
    std::int32_t RunAsAdministrator(const std::string& target) override;
};

class Win32Registry final : public Registry {
public:
    std::optional<std::string> ReadClassesRootDefault(const std::string& subkey) override;
};

// Libraries load from the system folder only: never from the program's or the current folder.
void RestrictLibrarySearch();

// Loads the themed common controls once, before the first dialog is shown.
void LoadCommonControls();

// The failure of an event that escaped the portable side's own reports, shown in a message box:
// nothing may unwind through the window system. Call it only inside a catch block.
void ReportUnexpectedFailure();

// The program file's full path, however long.
std::string ProgramFilePath();

}  // namespace iconlane::win32
