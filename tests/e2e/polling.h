// Waiting for effects that another process produces at its own pace: poll with a deadline instead
// of sleeping a fixed time, so fast runs stay fast and slow machines still pass.
#pragma once

#include <windows.h>

#include <chrono>

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous enough for a cold Wine on a loaded CI machine; a passing run never waits this long.
inline constexpr std::chrono::milliseconds kEffectTimeout = 15s;
inline constexpr std::chrono::milliseconds kPollInterval = 20ms;

// Calls `done` until it returns true or the timeout passes; returns its last answer.
template <class Predicate>
bool pollUntil(Predicate done, std::chrono::milliseconds timeout = kEffectTimeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= deadline) return false;
        Sleep(static_cast<DWORD>(kPollInterval.count()));
    }
}

// Like pollUntil, but the condition must then hold without a break for `quiet`: used where the
// absence of a further effect matters (no fourth icon, no second message box).
template <class Predicate>
bool pollUntilSteady(Predicate holds, std::chrono::milliseconds quiet,
                     std::chrono::milliseconds timeout = kEffectTimeout) {
    const auto deadline = Clock::now() + timeout;
    auto heldSince = Clock::time_point::max();
    for (;;) {
        const auto now = Clock::now();
        if (!holds()) {
            heldSince = Clock::time_point::max();
        } else if (heldSince == Clock::time_point::max()) {
            heldSince = now;
        } else if (now - heldSince >= quiet) {
            return true;
        }
        if (now >= deadline) return false;
        Sleep(static_cast<DWORD>(kPollInterval.count()));
    }
}

}  // namespace e2e
