// The pictures of files in menus, made once per file and size on a worker thread, so that no menu
// ever waits for one: a shortcut to a share that is offline can take a minute to give its icon.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace iconlane::win32 {

// The icon a menu shows for the file `path` at `pixels`, found on the worker thread; the cache
// owns the icon it returns (null for none). The worker keeps the finder until it ends, which may
// be after the cache is gone: it must own what it uses.
using MenuPictureFinder = std::function<HICON(const std::string& path, int pixels)>;

// The shell's picture of a file: the icon at its icon location (a shortcut's own, or its
// target's) extracted at the size, else the shell's small icon for it.
HICON ShellFilePicture(const std::string& path, int pixels);

// Pictures are kept while the program runs, by path, pixel size, and the file's size and last
// write time: a file written since gets its picture made again. At most one request per file and
// size waits for the worker, which starts with the first request and runs in an apartment of its
// own.
class MenuPictureCache {
public:
    explicit MenuPictureCache(MenuPictureFinder finder);
    // Lets the worker go; it ends once the picture it is making is done.
    ~MenuPictureCache();
    MenuPictureCache(const MenuPictureCache&) = delete;
    MenuPictureCache& operator=(const MenuPictureCache&) = delete;

    // When pictures have come, `message` is posted to `window`: once, until Noticed is called.
    void NotifyTo(HWND window, UINT message);
    void Noticed();

    enum class State { kReady, kComing, kNone };
    struct Found {
        State state = State::kNone;
        HBITMAP picture = nullptr;  // while kReady; the cache's, valid while it lives
    };
    // The picture of the file as it is now; while it is being made, kComing (and a request goes
    // to the worker unless one for this file and size waits already).
    Found Find(const std::string& path, int pixels);
    // What became of a request, without a look at the file or a new request: cheap enough to
    // ask for every item that waits, each time pictures come.
    Found Look(const std::string& path, int pixels) const;
    // Requests the worker has not finished yet.
    std::size_t Outstanding() const;

private:
    struct Shared;
    static void Work(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_;
};

}  // namespace iconlane::win32
