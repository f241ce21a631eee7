#include "platform/win32/system/sessionlock.h"

#include <windows.h>

#include "platform/win32/system/handles.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

// Owns the mutex: released by the thread that waited for it, then closed.
class HeldMutex final : public SessionLock {
public:
    explicit HeldMutex(UniqueKernel mutex) : mutex_(std::move(mutex)) {}
    ~HeldMutex() override { ReleaseMutex(mutex_.Get()); }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;

private:
    UniqueKernel mutex_;
};

}  // namespace

// A mutex abandoned by a holder that ended is owned all the same: what it guarded was written
// whole or not at all (a file is replaced by a rename), so nothing is left half done.
std::unique_ptr<SessionLock> Win32SessionLocks::Hold(const std::string& name, unsigned waitMs) {
    UniqueKernel mutex(CreateMutexW(nullptr, FALSE, Wide("Local\\" + name).c_str()));
    if (!mutex.Valid()) return nullptr;
    DWORD waited = WaitForSingleObject(mutex.Get(), waitMs);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return nullptr;
    return std::make_unique<HeldMutex>(std::move(mutex));
}

}  // namespace iconlane::win32
