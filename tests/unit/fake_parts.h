// The small parts of the platform in memory: texts, failures, menus as rows write them, and what
// the program holds of the fake (tray calls, files, locks, pictures, an entry's tray slot).
#pragma once

#include <fnmatch.h>

#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/services.h"

namespace iconlane::fake {

using Texts = std::vector<std::string>;
struct ProcessEnded {};  // thrown by EndNow; being no RuntimeError, no handler can swallow it
inline constexpr int kBadAlloc = -1;  // as an error to fail with: std::bad_alloc

[[noreturn]] inline void Fail(int error) {
    if (error == kBadAlloc) throw std::bad_alloc();
    throw RuntimeError(error);
}
// The number of the RuntimeError `call` fails with; 0 when it returns or ends the process.
inline int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    } catch (const ProcessEnded&) {
    }
    return 0;
}
// File names match without letter case, either slash separating folders.
inline bool Matches(std::string pattern, std::string path) {
    std::replace(pattern.begin(), pattern.end(), '/', '\\');
    std::replace(path.begin(), path.end(), '/', '\\');
    return fnmatch(pattern.c_str(), path.c_str(), FNM_NOESCAPE | FNM_CASEFOLD) == 0;
}

// A menu as a row writes it: its items between "|", "-" for a separator, each caption followed by
// "~" when greyed, ">" for a folder's sub-menu and "@" for the shell's menu of an item.
inline std::string Rendered(const std::vector<MenuEntry>& items) {
    std::string text;
    for (const MenuEntry& item : items) {
        using Kind = MenuEntry::Kind;
        text += (text.empty() ? "" : "|") + (item.kind == Kind::kSeparator ? "-" : item.caption);
        text += std::string(item.enabled ? "" : "~") + (item.kind == Kind::kFolder ? ">" : "") +
                (item.kind == Kind::kShellMenu ? "@" : "");
    }
    return text;
}

// A menu that was shown and closed with the command chosen (0: none), or a file's path, and the
// keys held at the choice.
inline MenuChoice Chosen(int command = 0, const std::string& path = {}, HeldKeys keys = {}) {
    MenuChoice choice;
    choice.shown = true;
    choice.command = command, choice.path = path, choice.keys = keys;
    return choice;
}

struct TrayCall {
    TrayOperation operation;
    TrayRecord record;
    std::string Tip() const { return std::string(record.szTip.data(), 64).c_str(); }
};
struct FileEntry {
    std::string contents;  // a file without contents is no picture
    bool folder = false;
    bool hidden = false;  // left out of folder listings
};
struct FakeLock final : SessionLock {
    explicit FakeLock(int& count) : held(count) { ++held; }
    ~FakeLock() override { --held; }
    int& held;
};
struct FakePicture final : Picture {
    explicit FakePicture(std::uintptr_t handle) : handle(handle) {}
    std::uintptr_t Handle() const override { return handle; }
    std::uintptr_t handle;
};

// An entry's share of the tray window, owned by the program.
struct Slot final : TraySlot {
    Slot(std::uint32_t id, TraySlotEvents& events, Texts& seen)
        : id(id), events(events), seen(seen) {}
    std::uintptr_t Window() const override { return 0x6000; }
    std::uint32_t Id() const override { return id; }
    void SetTimer(bool on, unsigned ms) override { Note("blink", on, ms); }
    void SetRetryTimer(bool on, unsigned ms) override { Note("retry", on, ms); }
    void Note(const std::string& timer, bool on, unsigned ms) {
        seen.push_back(timer + std::to_string(id) + (on ? " " + std::to_string(ms) : " off"));
    }
    void Unload() override {  // also as the window system does it on its own
        if (!std::exchange(unloaded, true)) events.OnUnload();
    }

    std::uint32_t id;
    TraySlotEvents& events;
    Texts& seen;
    bool unloaded = false;
};

}  // namespace iconlane::fake
