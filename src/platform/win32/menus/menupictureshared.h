// What the menu picture cache and its workers share, under one lock; whichever lets go last
// deletes it. Only the cache (menupictures.cpp) and its workers (menupictureworker.cpp) use it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "platform/win32/menus/menupictures.h"
#include "platform/win32/menus/menupicturestore.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

struct PictureRequest {
    PictureKey key;
    std::optional<FileStamp> stamp;
};

struct MenuPictureShared {
    MenuPictureShared(MenuPictureSources made, std::size_t kept);
    ~MenuPictureShared();
    MenuPictureShared(const MenuPictureShared&) = delete;
    MenuPictureShared& operator=(const MenuPictureShared&) = delete;
    // Posts the message that pictures came, unless one waits unnoticed. Under the lock.
    void Notify();

    MenuPictureSources sources;
    std::mutex mutex;
    // A semaphore: one count for each request queued, and one for each worker to stop.
    UniqueKernel work;
    MenuPictureStore store;
    std::deque<PictureRequest> queue;
    // Requests queued or being made, each with the menu that asked for it last.
    std::map<PictureKey, MenuPictureCache::Asker> outstanding;
    std::set<PictureKey> late;  // made, but the shell's answer comes later
    HWND window = nullptr;
    UINT message = 0;
    bool notified = false;
    int workers = 0;
    std::multiset<ULONGLONG> busySince;  // when each busy worker started on its picture
    HANDLE checkTimer = nullptr;         // looks again whether a worker more is due
    MenuPictureCache::Asker askers = 0;
    bool stopping = false;
};

// A picture taking longer than this holds its worker up: another worker takes the next request.
inline constexpr ULONGLONG kStuckMs = 200;

// A worker more, up to the bound, when requests wait and every worker has been on its picture
// for kStuckMs: one that hangs goes on alone. Until then a check comes once the quickest of them
// would count as held up. Under the lock.
void GrowMenuPictureWorkers(const std::shared_ptr<MenuPictureShared>& shared);

// One worker thread: takes requests until the cache is gone, in an apartment of its own whose
// messages it pumps while it waits, and collects the late answers of its own source.
void RunMenuPictureWorker(std::shared_ptr<MenuPictureShared> shared);

}  // namespace iconlane::win32
