// Named objects of the user's session: session locks as named mutexes in the session's own
// namespace ("Local\"), and the names of the program's claims there.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sessionlock.h"

namespace iconlane::win32 {

// The name of the mutex that claims `key` (a list, a hot key): in the session's own namespace,
// with the user's SID, so that another user in the same session (a program run as someone else)
// keeps claims of its own.
std::wstring ClaimName(const std::string& key);

// FNV-1a: the same key gives the same number in every Iconlane, 32-bit builds included.
std::uint64_t HashOf(const std::string& key);

class Win32SessionLocks final : public SessionLocks {
public:
    std::unique_ptr<SessionLock> Hold(const std::string& name, unsigned waitMs) override;
};

}  // namespace iconlane::win32
