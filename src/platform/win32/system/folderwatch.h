// The program's own message loop, and the folder watch it serves, with its settle period.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

struct ChangeTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { FindCloseChangeNotification(h); }
};
using UniqueChange = UniqueHandle<HANDLE, ChangeTraits>;

inline constexpr DWORD kMaxLoopHandles = 2;

// Something the message loop waits for besides messages: a handle that gets signalled, and a
// deadline.
class LoopWaitable {
public:
    virtual ~LoopWaitable() = default;
    // The handles to wait on; none while there are none.
    virtual DWORD Handles(HANDLE (&handles)[kMaxLoopHandles]) const = 0;
    // How long a wait may last before OnTimeout is due: INFINITE while nothing is pending.
    virtual DWORD WaitTime() const = 0;
    // One of its handles was signalled.
    virtual void OnSignalled(HANDLE signalled) = 0;
    virtual void OnTimeout() = 0;
};

// A change (a file created, deleted, renamed or written) starts the settle period; every further
// change starts it again. Once it passes quietly, `settled` runs; when it answers false (the
// files are not ready, e.g. a batch file caught between an editor's write and rename) it runs
// again after another period, a few times at most.
// The folder's parent is watched for folders coming and going, so that a folder deleted and
// created again is watched again, and counts as changed.
class FolderWatch final : public LoopWaitable {
public:
    // False when the folder cannot be watched.
    bool Start(const std::string& folder, unsigned settleMs, std::function<bool()> settled);

    // The folder's handle, then its parent's.
    DWORD Handles(HANDLE (&handles)[kMaxLoopHandles]) const override;
    DWORD WaitTime() const override;
    void OnSignalled(HANDLE signalled) override;
    void OnTimeout() override;

private:
    void Watch();
    void ChangeSeen();
    void FollowFolder();
    // The folder's creation time, 0 when it is not there.
    ULONGLONG Created() const;

    std::string folder_;
    UniqueChange change_;
    UniqueChange parent_;
    ULONGLONG created_ = 0;
    unsigned settleMs_ = 0;
    std::function<bool()> settled_;
    bool pending_ = false;
    ULONGLONG deadline_ = 0;
    int retriesLeft_ = 0;
};

// Delivers window messages until WM_QUIT, and serves the waitables in between. Modal windows run
// loops of their own, so the waitables are never served while one is open.
void RunMessageLoop(const std::vector<LoopWaitable*>& waitables);

}  // namespace iconlane::win32
