#include "platform/win32/menus/menupicturestore.h"

#include <utility>

namespace iconlane::win32 {

std::optional<SharedPicture> MenuPictureStore::Use(const PictureKey& key,
                                                   const std::optional<FileStamp>& stamp) {
    auto kept = kept_.find(key);
    if (kept == kept_.end() || (stamp && kept->second.stamp != stamp)) return std::nullopt;
    uses_.splice(uses_.begin(), uses_, kept->second.use);
    return kept->second.picture;
}

std::optional<SharedPicture> MenuPictureStore::Peek(const PictureKey& key) const {
    auto kept = kept_.find(key);
    if (kept == kept_.end()) return std::nullopt;
    return kept->second.picture;
}

void MenuPictureStore::Keep(const PictureKey& key, const std::optional<FileStamp>& stamp,
                            UniqueBitmap picture) {
    SharedPicture shared;
    if (picture.Valid()) shared = std::make_shared<const UniqueBitmap>(std::move(picture));
    auto [kept, added] = kept_.try_emplace(key);
    if (added) {
        uses_.push_front(&kept->first);
        kept->second.use = uses_.begin();
    } else {
        uses_.splice(uses_.begin(), uses_, kept->second.use);
    }
    kept->second.stamp = stamp;
    kept->second.picture = std::move(shared);
    while (kept_.size() > limit_ && !uses_.empty()) {
        const PictureKey* oldest = uses_.back();
        uses_.pop_back();
        kept_.erase(kept_.find(*oldest));
    }
}

}  // namespace iconlane::win32
