#include "platform/win32/system/sessionlock.h"

#include <windows.h>

// sddl.h needs windows.h first.
#include <sddl.h>

#include <memory>

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

// The SID of the process's user ("S-1-5-21-..."); empty when the token cannot be read.
std::wstring UserSid() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
    UniqueKernel token(opened);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    auto buffer = std::make_unique<unsigned char[]>(size);
    wchar_t* text = nullptr;
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.get(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) {
        return {};
    }
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}

}  // namespace

std::uint64_t HashOf(const std::string& key) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : key) hash = (hash ^ c) * 0x100000001b3ULL;
    return hash;
}

std::wstring ClaimName(const std::string& key) {
    wchar_t hash[17] = {};
    std::uint64_t value = HashOf(key);
    for (int digit = 15; digit >= 0; --digit, value >>= 4)
        hash[digit] = L"0123456789abcdef"[value & 15];
    return L"Local\\Iconlane-" + UserSid() + L"-" + hash;
}

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
