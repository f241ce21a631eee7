#include "platform/win32/menus/menupictures.h"

// shellapi.h needs windows.h first.
#include <shellapi.h>
#include <shlobj.h>

#include <climits>
#include <utility>

#include "platform/win32/menus/menupictureshared.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {

namespace {

MenuPictureCache::Found FoundOf(const SharedPicture& picture) {
    using State = MenuPictureCache::State;
    return {picture != nullptr ? State::kReady : State::kNone, picture};
}

}  // namespace

MenuPictureSources PlainPictureSources(MenuPictureFinder finder) {
    struct Plain final : MenuPictureSource {
        MenuPictureFinder find;
        HICON Find(const std::string& path, int pixels, bool&) override {
            return find(path, pixels);
        }
    };
    return [finder = std::move(finder)] {
        auto plain = std::make_unique<Plain>();
        plain->find = finder;
        return plain;
    };
}

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

MenuPictureShared::MenuPictureShared(MenuPictureSources made, std::size_t kept)
    : sources(std::move(made)),
      work(CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr)),
      store(kept) {}

MenuPictureShared::~MenuPictureShared() {
    if (checkTimer != nullptr) DeleteTimerQueueTimer(nullptr, checkTimer, nullptr);
}

void MenuPictureShared::Notify() {
    if (window != nullptr && !notified) notified = PostMessageW(window, message, 0, 0);
}

MenuPictureCache::MenuPictureCache(MenuPictureSources sources, std::size_t kept)
    : shared_(std::make_shared<MenuPictureShared>(std::move(sources), kept)) {}

// Each worker takes one count of the semaphore on its way out.
MenuPictureCache::~MenuPictureCache() {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->window = nullptr;
    shared_->queue.clear();
    if (shared_->workers > 0) ReleaseSemaphore(shared_->work.Get(), shared_->workers, nullptr);
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

MenuPictureCache::Asker MenuPictureCache::NewAsker() {
    std::lock_guard lock(shared_->mutex);
    return ++shared_->askers;
}

// Requests being made go on: they are kept for the next menu that shows the file.
void MenuPictureCache::Drop(Asker asker) {
    std::lock_guard lock(shared_->mutex);
    std::erase_if(shared_->queue, [&](const PictureRequest& request) {
        auto waiting = shared_->outstanding.find(request.key);
        if (waiting == shared_->outstanding.end() || waiting->second != asker) return false;
        shared_->outstanding.erase(waiting);
        return true;
    });
}

MenuPictureCache::Found MenuPictureCache::Find(const std::string& path,
                                               const std::optional<FileStamp>& stamp, int pixels,
                                               Asker asker) {
    PictureKey key{path, pixels};
    std::lock_guard lock(shared_->mutex);
    if (std::optional<SharedPicture> kept = shared_->store.Use(key, stamp)) return FoundOf(*kept);
    if (auto waiting = shared_->outstanding.find(key); waiting != shared_->outstanding.end()) {
        waiting->second = asker;  // the latest menu to show it decides when it is dropped
        return {State::kComing, nullptr};
    }
    if (shared_->late.contains(key)) return {State::kComing, nullptr};
    shared_->outstanding.emplace(key, asker);
    shared_->queue.push_back({std::move(key), stamp});
    ReleaseSemaphore(shared_->work.Get(), 1, nullptr);
    GrowMenuPictureWorkers(shared_);
    return {State::kComing, nullptr};
}

MenuPictureCache::Found MenuPictureCache::Look(const std::string& path, int pixels) const {
    PictureKey key{path, pixels};
    std::lock_guard lock(shared_->mutex);
    std::optional<SharedPicture> kept;
    if (shared_->outstanding.contains(key) || shared_->late.contains(key) ||
        !(kept = shared_->store.Peek(key))) {
        return {State::kComing, nullptr};
    }
    return FoundOf(*kept);
}

std::size_t MenuPictureCache::Outstanding() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->outstanding.size();
}

}  // namespace iconlane::win32
