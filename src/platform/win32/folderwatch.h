// Watching one folder for changes from the program's own message loop, with a settle period.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/handles.h"

namespace iconlane::win32 {

struct ChangeTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { FindCloseChangeNotification(h); }
};
using UniqueChange = UniqueHandle<HANDLE, ChangeTraits>;

// A change (a file created, deleted, renamed or written) starts the settle period; every further
// change starts it again. Once it passes quietly, `settled` runs; when it answers false (the
// files are not ready, e.g. a batch file caught between an editor's write and rename) it runs
// again after another period, a few times at most.
// The folder's parent is watched for folders coming and going, so that a folder deleted and
// created again is watched again, and counts as changed.
class FolderWatch {
public:
    // False when the folder cannot be watched.
    bool Start(const std::string& folder, unsigned settleMs, std::function<bool()> settled);
    // The handles to wait on (the folder's, then its parent's): none while nothing is watched.
    DWORD Handles(HANDLE (&handles)[2]) const;
    // How long a wait may last before OnTimeout is due: INFINITE while nothing is pending.
    DWORD WaitTime() const;
    // One of the handles was signalled.
    void OnSignalled(HANDLE signalled);
    void OnTimeout();

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

// Delivers window messages until WM_QUIT, and serves the watch in between. Modal windows run
// loops of their own, so the watch is never served while one is open.
void RunMessageLoop(FolderWatch& watch);

}  // namespace iconlane::win32
