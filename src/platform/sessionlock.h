// Locks that every process of the user's log-on session shares by name: two copies of the program
// take turns at a file they both read and write.
#pragma once

#include <memory>
#include <string>

namespace iconlane {

// Held until it is destroyed.
class SessionLock {
public:
    virtual ~SessionLock() = default;
};

class SessionLocks {
public:
    virtual ~SessionLocks() = default;
    // Holds the lock `name` (letters, digits and dots), waiting at most `waitMs` for another
    // holder to let go. Null when it is not had in time or cannot be made. A lock whose holder
    // ended without letting go is had at once.
    virtual std::unique_ptr<SessionLock> Hold(const std::string& name, unsigned waitMs) = 0;
};

}  // namespace iconlane
