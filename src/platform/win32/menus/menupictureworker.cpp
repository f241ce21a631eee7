// The workers that make the menus' pictures. Each runs in a single-threaded apartment, as the
// shell's extraction wants, and pumps its messages whenever it waits: COM's hidden window there
// answers a program that broadcasts, and the shell's late answers are collected on the thread
// that asked.
#include <algorithm>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/menus/menubitmap.h"
#include "platform/win32/menus/menupictureshared.h"
#include "platform/win32/system/comapartment.h"

namespace iconlane::win32 {
namespace {

class Worker {
public:
    explicit Worker(std::shared_ptr<MenuPictureShared> shared) : shared_(std::move(shared)) {}

    // What waits for the shell's late answers (null for none); the source made first.
    LoopWaitable* Start();
    // Makes the request first in line; false once the cache is gone.
    bool TakeOne();
    // A worker that cannot wait any more ends, so that another may start.
    void Leave();

private:
    void Make(PictureRequest request);
    void Arrived(const std::string& path);

    std::shared_ptr<MenuPictureShared> shared_;
    std::unique_ptr<MenuPictureSource> source_;
    std::vector<PictureRequest> late_;  // whose answers this worker's source still owes
};

LoopWaitable* Worker::Start() {
    source_ = shared_->sources();
    if (!source_) return nullptr;
    return source_->LateAnswers([this](const std::string& path) { Arrived(path); });
}

bool Worker::TakeOne() {
    std::unique_lock lock(shared_->mutex);
    if (shared_->stopping) {
        --shared_->workers;
        return false;
    }
    if (shared_->queue.empty()) return true;  // dropped since: its menu closed
    PictureRequest request = std::move(shared_->queue.front());
    shared_->queue.pop_front();
    auto busy = shared_->busySince.insert(GetTickCount64());
    GrowMenuPictureWorkers(shared_);
    lock.unlock();
    Make(std::move(request));
    lock.lock();
    shared_->busySince.erase(busy);
    return true;
}

void Worker::Leave() {
    std::lock_guard lock(shared_->mutex);
    --shared_->workers;
}

// A picture the shell still owes is never kept as the file's: the item waits for it.
void Worker::Make(PictureRequest request) {
    bool late = false;
    UniqueBitmap picture;
    try {
        UniqueIcon icon(source_ ? source_->Find(request.key.path, request.key.pixels, late)
                                : nullptr);
        if (!late) picture = ForMenus(MenuBitmapOf(icon.Get(), request.key.pixels));
    } catch (...) {
        late = false;  // a source that fails gives no picture; the item shows none
    }
    std::lock_guard lock(shared_->mutex);
    shared_->outstanding.erase(request.key);
    std::erase_if(late_, [&](const PictureRequest& owed) { return owed.key == request.key; });
    if (late) {
        shared_->late.insert(request.key);
        late_.push_back(std::move(request));
        return;
    }
    shared_->late.erase(request.key);
    shared_->store.Keep(request.key, request.stamp, std::move(picture));
    shared_->Notify();
}

void Worker::Arrived(const std::string& path) {
    auto answered = std::stable_partition(late_.begin(), late_.end(),
                                          [&](const auto& owed) { return owed.key.path != path; });
    std::vector<PictureRequest> made(std::make_move_iterator(answered),
                                     std::make_move_iterator(late_.end()));
    late_.erase(answered, late_.end());
    for (PictureRequest& request : made) Make(std::move(request));
}

VOID CALLBACK CheckWorkers(PVOID parameter, BOOLEAN) {
    std::unique_ptr<std::weak_ptr<MenuPictureShared>> cache(
        static_cast<std::weak_ptr<MenuPictureShared>*>(parameter));
    std::shared_ptr<MenuPictureShared> shared = cache->lock();
    if (!shared) return;
    std::lock_guard lock(shared->mutex);
    DeleteTimerQueueTimer(nullptr, std::exchange(shared->checkTimer, nullptr), nullptr);
    GrowMenuPictureWorkers(shared);
}

void PumpMessages() {
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

void GrowMenuPictureWorkers(const std::shared_ptr<MenuPictureShared>& shared) {
    if (shared->queue.empty() || shared->stopping || shared->workers >= kMenuPictureWorkers ||
        static_cast<int>(shared->busySince.size()) < shared->workers) {
        return;  // nothing waits, or a worker is free to take it
    }
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG latest = shared->busySince.empty() ? 0 : *shared->busySince.rbegin();
    if (shared->workers == 0 || now - latest >= kStuckMs) {
        try {
            std::thread(RunMenuPictureWorker, shared).detach();
            ++shared->workers;
        } catch (...) {
            // No thread to be had: the workers there are take the request in turn.
        }
    } else if (shared->checkTimer == nullptr) {
        auto* cache = new std::weak_ptr<MenuPictureShared>(shared);
        if (!CreateTimerQueueTimer(&shared->checkTimer, nullptr, CheckWorkers, cache,
                                   static_cast<DWORD>(latest + kStuckMs - now), 0,
                                   WT_EXECUTEONLYONCE)) {
            shared->checkTimer = nullptr;
            delete cache;
        }
    }
}

void RunMenuPictureWorker(std::shared_ptr<MenuPictureShared> shared) {
    // Pictures are background work: the menu being built and shown comes first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    ComApartment apartment(ComApartment::Kind::kCom);
    Worker worker(shared);
    LoopWaitable* answers = nullptr;
    try {
        answers = worker.Start();
    } catch (...) {
        // No source: each request gives no picture.
    }
    for (;;) {
        HANDLE handles[1 + kMaxLoopHandles] = {shared->work.Get()};
        HANDLE owned[kMaxLoopHandles] = {};
        DWORD count = 1;
        for (DWORD n = 0, more = answers ? answers->Handles(owned) : 0; n < more; ++n) {
            handles[count++] = owned[n];
        }
        DWORD waited =
            MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        try {
            if (waited == WAIT_OBJECT_0) {
                if (!worker.TakeOne()) return;
            } else if (waited > WAIT_OBJECT_0 && waited < WAIT_OBJECT_0 + count) {
                answers->OnSignalled(handles[waited - WAIT_OBJECT_0]);
            } else if (waited == WAIT_OBJECT_0 + count) {
                PumpMessages();
            } else {
                worker.Leave();
                return;
            }
        } catch (...) {
            // Out of memory, say: the request is lost, the worker goes on.
        }
    }
}

}  // namespace iconlane::win32
