#include "platform/win32/menupictures.h"

// shellapi.h needs windows.h first.
#include <shellapi.h>
#include <shlobj.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/win32/comapartment.h"
#include "platform/win32/handles.h"
#include "platform/win32/menubitmap.h"
#include "platform/win32/widetext.h"

namespace iconlane::win32 {
namespace {

// Which file, and the file as it was: written again, it has another size or write time.
struct Key {
    std::string path;
    int pixels = 0;
    auto operator<=>(const Key&) const = default;
};

struct Stamp {
    std::uint64_t size = 0;
    std::uint64_t written = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return {};
    return {(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                data.ftLastWriteTime.dwLowDateTime};
}

struct Made {
    Stamp stamp;
    UniqueBitmap picture;  // null: the file has none
};

}  // namespace

// What the cache and its worker share; whichever lets go last deletes it.
struct MenuPictureCache::Shared {
    MenuPictureFinder finder;
    std::mutex mutex;
    std::condition_variable wake;
    std::map<Key, Made> made;
    std::set<Key> outstanding;
    std::deque<std::pair<Key, Stamp>> queue;
    // Pictures of files written since, kept: an open menu may still show one.
    std::vector<UniqueBitmap> replaced;
    HWND window = nullptr;
    UINT message = 0;
    bool notified = false;
    bool working = false;
    bool stopping = false;
};

HICON ShellFilePicture(const std::string& path, int pixels) {
    std::wstring file = Wide(path);
    SHFILEINFOW info{};
    if (SHGetFileInfoW(file.c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION) &&
        info.szDisplayName[0] != L'\0') {
        HICON icon = nullptr;
        if (SHDefExtractIconW(info.szDisplayName, info.iIcon, 0, &icon, nullptr,
                              static_cast<UINT>(pixels)) == S_OK &&
            icon != nullptr) {
            return icon;
        }
    }
    // No location of its own (the shell's image list has the picture): the shell's small icon,
    // which the menu scales to its size.
    info = {};
    if (!SHGetFileInfoW(file.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) {
        return nullptr;
    }
    return info.hIcon;
}

MenuPictureCache::MenuPictureCache(MenuPictureFinder finder) : shared_(std::make_shared<Shared>()) {
    shared_->finder = std::move(finder);
}

MenuPictureCache::~MenuPictureCache() {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->window = nullptr;
    shared_->wake.notify_all();
}

void MenuPictureCache::NotifyTo(HWND window, UINT message) {
    std::lock_guard lock(shared_->mutex);
    shared_->window = window;
    shared_->message = message;
}

void MenuPictureCache::Noticed() {
    std::lock_guard lock(shared_->mutex);
    shared_->notified = false;
}

MenuPictureCache::Found MenuPictureCache::Find(const std::string& path, int pixels) {
    Stamp stamp = StampOf(path);
    Key key{path, pixels};
    std::lock_guard lock(shared_->mutex);
    if (auto made = shared_->made.find(key);
        made != shared_->made.end() && made->second.stamp == stamp) {
        HBITMAP picture = made->second.picture.Get();
        return {picture != nullptr ? State::kReady : State::kNone, picture};
    }
    if (shared_->outstanding.insert(key).second) {
        shared_->queue.emplace_back(std::move(key), stamp);
        if (!shared_->working) {
            shared_->working = true;
            std::thread(Work, shared_).detach();
        }
        shared_->wake.notify_one();
    }
    return {State::kComing, nullptr};
}

MenuPictureCache::Found MenuPictureCache::Look(const std::string& path, int pixels) const {
    Key key{path, pixels};
    std::lock_guard lock(shared_->mutex);
    auto made = shared_->made.find(key);
    if (shared_->outstanding.contains(key) || made == shared_->made.end()) {
        return {State::kComing, nullptr};
    }
    HBITMAP picture = made->second.picture.Get();
    return {picture != nullptr ? State::kReady : State::kNone, picture};
}

std::size_t MenuPictureCache::Outstanding() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->outstanding.size();
}

// The worker: one picture at a time, in the order asked for, the lock let go meanwhile.
void MenuPictureCache::Work(const std::shared_ptr<Shared>& shared) {
    ComApartment apartment(ComApartment::Kind::kCom);
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
        if (shared->stopping) return;
        auto [key, stamp] = std::move(shared->queue.front());
        shared->queue.pop_front();
        lock.unlock();
        UniqueBitmap picture;
        try {
            UniqueIcon icon(shared->finder(key.path, key.pixels));
            picture = ForMenus(MenuBitmapOf(icon.Get(), key.pixels));
        } catch (...) {
            // A finder that fails gives no picture; the item shows none.
        }
        lock.lock();
        Made& made = shared->made[key];
        if (made.picture.Valid()) shared->replaced.push_back(std::move(made.picture));
        made = {stamp, std::move(picture)};
        shared->outstanding.erase(key);
        if (shared->window != nullptr && !shared->notified) {
            shared->notified = PostMessageW(shared->window, shared->message, 0, 0);
        }
    }
}

}  // namespace iconlane::win32
