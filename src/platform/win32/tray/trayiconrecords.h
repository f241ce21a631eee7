// Windows 11's records of the tray icons it has seen, in the registry, and their watch from the
// program's own message loop.
#pragma once

#include <windows.h>

#include "platform/services.h"
#include "platform/win32/system/folderwatch.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

// Events close like files.
using UniqueEvent = UniqueFile;

class Win32TrayIconRecords final : public TrayIconRecords, public LoopWaitable {
public:
    std::string ProgramPath() override;
    std::optional<std::vector<std::string>> RecordNames() override;
    std::optional<TrayIconRecord> ReadRecord(const std::string& name) override;
    void Promote(const std::string& name) override;
    std::optional<std::string> KnownFolder(const std::string& guid) override;
    bool Watch(unsigned ms, unsigned quietMs, std::function<void()> changed) override;
    bool Watching() const override { return watched_.Valid(); }

    DWORD Handles(HANDLE (&handles)[kMaxLoopHandles]) const override {
        if (!watched_.Valid()) return 0;
        handles[0] = changeEvent_.Get();
        return 1;
    }
    DWORD WaitTime() const override;
    void OnSignalled(HANDLE signalled) override;
    void OnTimeout() override;

private:
    bool ArmNotification();

    UniqueKey watched_;  // open while the records are watched
    UniqueEvent changeEvent_;
    std::function<void()> changed_;
    ULONGLONG deadline_ = 0;
    unsigned quietMs_ = 0;
    bool quietPending_ = false;  // a change waits for its quiet call
    ULONGLONG quietDeadline_ = 0;
};

}  // namespace iconlane::win32
