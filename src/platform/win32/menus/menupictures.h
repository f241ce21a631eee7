// The pictures of files in menus, made once per file and size on worker threads, so that no menu
// ever waits for one: a shortcut to a share that is offline can take a minute to give its icon.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/menus.h"
#include "platform/win32/menus/menupicturestore.h"
#include "platform/win32/system/folderwatch.h"

namespace iconlane::win32 {

// Finds pictures on one worker thread, which alone uses it.
class MenuPictureSource {
public:
    virtual ~MenuPictureSource() = default;
    // The icon the menu shows for the file `path` at `pixels`, the caller's (null for none).
    // `late` is set where the shell answers later: the item then waits for that answer.
    virtual HICON Find(const std::string& path, int pixels, bool& late) = 0;
    // What the worker waits on for late answers between requests (null: none ever comes); when
    // it is signalled, `arrived` runs for each path answered, and Find inside it gives the answer.
    virtual LoopWaitable* LateAnswers(std::function<void(const std::string& path)> arrived) {
        (void)arrived;
        return nullptr;
    }
};

// Makes each worker's source, on the worker. The workers keep it until they end, which may be
// after the cache is gone: it must own what it uses.
using MenuPictureSources = std::function<std::unique_ptr<MenuPictureSource>()>;

// The icon for a file at a size, the caller's (null for none), from a source that never answers
// late.
using MenuPictureFinder = std::function<HICON(const std::string& path, int pixels)>;
MenuPictureSources PlainPictureSources(MenuPictureFinder finder);

// The shell's picture of a file: the icon at its icon location (a shortcut's own, or its
// target's) extracted at the size, else the shell's small icon for it.
HICON ShellFilePicture(const std::string& path, int pixels);

// Pictures kept while the program runs, beyond which the least recently used go.
inline constexpr std::size_t kMenuPicturesKept = 3000;
// Workers that make pictures at most. One makes them in turn; another starts only while every
// one is held up by a picture (a share that does not answer), which then goes on alone.
inline constexpr int kMenuPictureWorkers = 4;

struct MenuPictureShared;  // what the cache and its workers share

// Pictures are kept by path and pixel size, each made of the file as its stamp says it is: a
// file written since gets its picture made again. At most one request per file and size waits
// for the workers, which pump their apartments' messages meanwhile.
class MenuPictureCache {
public:
    explicit MenuPictureCache(MenuPictureSources sources, std::size_t kept = kMenuPicturesKept);
    // Lets the workers go; each ends once the picture it is making is done.
    ~MenuPictureCache();
    MenuPictureCache(const MenuPictureCache&) = delete;
    MenuPictureCache& operator=(const MenuPictureCache&) = delete;

    // When pictures have come, `message` is posted to `window`: once, until Noticed is called.
    void NotifyTo(HWND window, UINT message);
    void Noticed();

    enum class State { kReady, kComing, kNone };
    struct Found {
        State state = State::kNone;
        SharedPicture picture;  // while kReady; hold it while it is shown
    };
    // Who asked for pictures: a menu's requests not started yet are dropped once it closes.
    using Asker = std::uint64_t;
    Asker NewAsker();
    void Drop(Asker asker);

    // The picture of the file as `stamp` says it is (whichever is kept, without one); while it is
    // being made, kComing (and a request goes to the workers unless one for this file and size
    // waits already). Reads no file.
    Found Find(const std::string& path, const std::optional<FileStamp>& stamp, int pixels,
               Asker asker = 0);
    // What became of a request, without a new one: cheap enough to ask for every item that
    // waits, each time pictures come.
    Found Look(const std::string& path, int pixels) const;
    // Requests the workers have not finished yet (a late answer still owed does not count).
    std::size_t Outstanding() const;

private:
    std::shared_ptr<MenuPictureShared> shared_;
};

}  // namespace iconlane::win32
