// The pictures made for menus, kept while the program runs: one per file and size, and at most a
// bound of them in all, so that memory and GDI objects stay flat however many folders are opened.
#pragma once

#include <windows.h>

#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/menus.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

// A picture shared by the store and the menus that show it: whichever lets go last deletes it,
// so that a picture replaced or pushed out lives on while an open menu still shows it.
using SharedPicture = std::shared_ptr<const UniqueBitmap>;

struct PictureKey {
    std::string path;
    int pixels = 0;
    auto operator<=>(const PictureKey&) const = default;
};

class MenuPictureStore {
public:
    explicit MenuPictureStore(std::size_t limit) : limit_(limit) {}

    // The picture kept for the file as `stamp` says it is (any kept, without a stamp), counted as
    // used; nothing when none is kept or it is of the file as it was. A null picture: the file
    // has none.
    std::optional<SharedPicture> Use(const PictureKey& key, const std::optional<FileStamp>& stamp);
    // The picture kept, whatever its stamp, without counting a use.
    std::optional<SharedPicture> Peek(const PictureKey& key) const;
    // Keeps the picture made of the file as `stamp` says it was, in place of any other of it; the
    // least recently used goes beyond the limit.
    void Keep(const PictureKey& key, const std::optional<FileStamp>& stamp, UniqueBitmap picture);

private:
    struct Kept {
        std::optional<FileStamp> stamp;
        SharedPicture picture;
        std::list<const PictureKey*>::iterator use;
    };

    std::size_t limit_;
    std::map<PictureKey, Kept> kept_;
    std::list<const PictureKey*> uses_;  // the most recently used first
};

}  // namespace iconlane::win32
