#include "platform/win32/folderwatch.h"

#include <algorithm>

namespace iconlane::win32 {
namespace {

// Names (added, removed, renamed), attributes (a file hidden) and writes.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr int kRetries = 10;

}  // namespace

bool FolderWatch::Start(const std::string& folder, unsigned settleMs,
                        std::function<bool()> settled) {
    change_.Reset(FindFirstChangeNotificationA(folder.c_str(), FALSE, kChanges));
    watching_ = change_.Valid();
    settleMs_ = settleMs;
    settled_ = std::move(settled);
    return watching_;
}

DWORD FolderWatch::WaitTime() const {
    if (!pending_) return INFINITE;
    ULONGLONG now = GetTickCount64();
    return now >= deadline_ ? 0 : static_cast<DWORD>(deadline_ - now);
}

void FolderWatch::OnSignalled() {
    // A handle that cannot be re-armed would stay signalled and spin the loop: it is dropped.
    if (!FindNextChangeNotification(change_.Get())) watching_ = false;
    pending_ = true;
    retriesLeft_ = kRetries;
    deadline_ = GetTickCount64() + settleMs_;
}

void FolderWatch::OnTimeout() {
    if (!pending_ || GetTickCount64() < deadline_) return;
    pending_ = false;
    if (settled_() || retriesLeft_-- <= 0) return;
    pending_ = true;
    deadline_ = GetTickCount64() + settleMs_;
}

// Handles signalled are served first, in the order given; each is armed again before it is
// served, so it cannot starve the others for long.
void RunMessageLoop(const std::vector<LoopWaitable*>& waitables) {
    for (;;) {
        std::vector<HANDLE> handles;
        std::vector<LoopWaitable*> owners;
        DWORD waitTime = INFINITE;
        for (LoopWaitable* waitable : waitables) {
            if (HANDLE handle = waitable->Handle())
                handles.push_back(handle), owners.push_back(waitable);
            waitTime = std::min(waitTime, waitable->WaitTime());
        }
        DWORD count = static_cast<DWORD>(handles.size());
        DWORD waited = MsgWaitForMultipleObjectsEx(count, handles.data(), waitTime, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
        if (waited - WAIT_OBJECT_0 < count) {
            owners[waited - WAIT_OBJECT_0]->OnSignalled();
            continue;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // Also after messages: a steady stream of them must not hold a settled change back.
        for (LoopWaitable* waitable : waitables) waitable->OnTimeout();
    }
}

}  // namespace iconlane::win32
