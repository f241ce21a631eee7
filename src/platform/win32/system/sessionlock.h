// Session locks as named mutexes in the session's own namespace ("Local\").
#pragma once

#include "platform/sessionlock.h"

namespace iconlane::win32 {

class Win32SessionLocks final : public SessionLocks {
public:
    std::unique_ptr<SessionLock> Hold(const std::string& name, unsigned waitMs) override;
};

}  // namespace iconlane::win32
