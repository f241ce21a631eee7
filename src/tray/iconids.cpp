#include "tray/iconids.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/errors.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

// Held while the map is read and written again, so that two copies of the program never write
// over each other's records. Another copy holds it for a few milliseconds; one that holds it
// longer (a map on a share that went offline) costs this write, not the start.
constexpr const char* kMapLock = "Iconlane.iconids";
constexpr unsigned kMapLockWaitMs = 2000;

}  // namespace

std::uint32_t DerivedIconId(std::string_view identity) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : identity) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash % kMaxIconId + 1;
}

std::string LineIdentity(std::string_view targetAsWritten) {
    return "line:" + FoldCase(targetAsWritten);
}

std::string FileIdentity(std::string_view fileName) {
    return "file:" + FoldCase(fileName);
}

std::string IdentityCounter::Next(const std::string& identity) {
    int occurrence = ++seen_[identity];
    if (occurrence == 1) return identity;
    std::size_t colon = identity.find(':');
    return identity.substr(0, colon) + "#" + std::to_string(occurrence) + identity.substr(colon);
}

std::uint32_t IconIds::IdFor(const std::string& identity) {
    if (!loaded_) Load();
    if (auto known = byIdentity_.find(identity); known != byIdentity_.end()) {
        IdRecord& record = records_[known->second];
        record.usedNow = true;
        if (record.day != today_) record.day = today_, changed_ = true;
        return record.id;
    }
    std::uint32_t id = FreeIdFrom(DerivedIconId(identity));
    records_.push_back({identity, id, today_, true});
    byIdentity_[identity] = records_.size() - 1;
    taken_[id] = 1;
    changed_ = true;
    return id;
}

// When every id is taken, the least recently used record not of this run gives up its id. Only a
// run that gave out every id itself (65,535 entries in one session) takes back the one it gave
// out first, the least likely to be still shown.
std::uint32_t IconIds::FreeIdFrom(std::uint32_t id) {
    for (std::uint32_t tried = 0; tried < kMaxIconId; ++tried, id = id % kMaxIconId + 1) {
        if (!taken_[id]) return id;
    }
    auto oldest = std::find_if(records_.begin(), records_.end(),
                               [](const IdRecord& record) { return !record.usedNow; });
    if (oldest == records_.end()) oldest = records_.begin();
    id = oldest->id;
    records_.erase(oldest);
    Index();
    return id;
}

// Nothing for a map that is there but cannot be read: only a missing one is an empty map.
std::optional<std::vector<IdRecord>> IconIds::ReadMap() {
    try {
        return ParseIdMap(services_.files.ReadFileStart(MapFile(), kMaxMapBytes + 1));
    } catch (const std::exception&) {
        if (CurrentNumberedError().Number() == kFileNotFound) return std::vector<IdRecord>{};
        return std::nullopt;
    }
}

// A map that cannot be read (locked, or on a share that is offline) is left as it is for this
// run: ids are derived as if it were empty, and nothing is written over the records it holds.
// Without a data folder there is no map: "\iconids.txt" would be the root of the current drive.
void IconIds::Load() {
    loaded_ = true;
    today_ = std::max<std::int64_t>(services_.process.Today(), 0);  // a clock set before 1970
    std::optional<std::vector<IdRecord>> records;
    if (!dataFolder_.empty()) records = ReadMap();
    writable_ = records.has_value();
    if (records) records_ = std::move(*records);
    Index();
}

void IconIds::Index() {
    byIdentity_.clear();
    taken_.assign(kMaxIconId + 1, 0);
    for (std::size_t at = 0; at < records_.size(); ++at) {
        byIdentity_[records_[at].identity] = at;
        taken_[records_[at].id] = 1;
    }
}

// Losing the map costs only the users' show/hide choices for new ids, so a failure to write it
// is no error the user sees. A map that cannot be had now is tried again at the next write.
void IconIds::Remember() {
    if (!changed_ || !writable_) return;
    std::unique_ptr<SessionLock> lock = services_.locks.Hold(kMapLock, kMapLockWaitMs);
    if (!lock) return;
    std::optional<std::vector<IdRecord>> file = ReadMap();
    if (!file) return;
    records_ = MergeIdMaps(records_, std::move(*file));
    Index();
    changed_ = false;
    try {
        services_.files.WriteFile(MapFile(), FormatIdMap(records_));
    } catch (const std::exception&) {
    }
}

}  // namespace iconlane
