#include "platform/win32/system/folderwatch.h"

#include <algorithm>

#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

// Names of files and sub-folders (added, removed, renamed), attributes (a file hidden) and
// writes: an editor that saves in place changes only the size and the time of the last write.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr int kRetries = 10;

// The folder holding `folder`; empty for a drive root or a bare name.
std::string ParentOf(const std::string& folder) {
    std::size_t end = folder.find_last_not_of("\\/");
    if (end == std::string::npos) return {};
    std::size_t separator = folder.find_last_of("\\/", end);
    if (separator == std::string::npos) return {};
    // "C:\Lane" lies in "C:\", not in "C:".
    return folder.substr(0, separator == 2 && folder[1] == ':' ? 3 : separator);
}

}  // namespace

bool FolderWatch::Start(const std::string& folder, unsigned settleMs,
                        std::function<bool()> settled) {
    folder_ = folder;
    settleMs_ = settleMs;
    settled_ = std::move(settled);
    Watch();
    std::string parent = ParentOf(folder);
    if (!parent.empty()) {
        parent_.Reset(
            FindFirstChangeNotificationW(Wide(parent).c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME));
    }
    return change_.Valid();
}

void FolderWatch::Watch() {
    change_.Reset(FindFirstChangeNotificationW(Wide(folder_).c_str(), FALSE, kChanges));
    created_ = change_.Valid() ? Created() : 0;
}

ULONGLONG FolderWatch::Created() const {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(folder_).c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return 0;
    }
    return (ULONGLONG(data.ftCreationTime.dwHighDateTime) << 32) |
           data.ftCreationTime.dwLowDateTime;
}

DWORD FolderWatch::Handles(HANDLE (&handles)[kMaxLoopHandles]) const {
    DWORD count = 0;
    if (change_.Valid()) handles[count++] = change_.Get();
    if (parent_.Valid()) handles[count++] = parent_.Get();
    return count;
}

DWORD FolderWatch::WaitTime() const {
    if (!pending_) return INFINITE;
    ULONGLONG now = GetTickCount64();
    return now >= deadline_ ? 0 : static_cast<DWORD>(deadline_ - now);
}

void FolderWatch::OnSignalled(HANDLE signalled) {
    bool inFolder = change_.Valid() && signalled == change_.Get();
    UniqueChange& handle = inFolder ? change_ : parent_;
    // A handle that cannot be re-armed would stay signalled and spin the loop: it is dropped.
    if (!FindNextChangeNotification(handle.Get())) handle.Reset();
    FollowFolder();
    if (inFolder) ChangeSeen();
}

// The folder gone (or going: a folder being deleted is kept while a handle to it is open) is let
// go of; a folder back under its name, or another one put there, is watched again and read.
void FolderWatch::FollowFolder() {
    ULONGLONG created = Created();
    if (created == 0) {
        change_.Reset();
        created_ = 0;
    } else if (!change_.Valid() || created != created_) {
        Watch();
        ChangeSeen();
    }
}

void FolderWatch::ChangeSeen() {
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
            HANDLE own[kMaxLoopHandles] = {};
            for (DWORD n = 0, count = waitable->Handles(own); n < count; ++n)
                handles.push_back(own[n]), owners.push_back(waitable);
            waitTime = std::min(waitTime, waitable->WaitTime());
        }
        DWORD count = static_cast<DWORD>(handles.size());
        DWORD waited = MsgWaitForMultipleObjectsEx(count, handles.data(), waitTime, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
        if (waited - WAIT_OBJECT_0 < count) {
            owners[waited - WAIT_OBJECT_0]->OnSignalled(handles[waited - WAIT_OBJECT_0]);
            continue;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // Also after messages: a steady stream of them must not hold a settled change back.
        for (LoopWaitable* waitable : waitables) waitable->OnTimeout();
    }
}

}  // namespace iconlane::win32
