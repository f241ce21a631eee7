#include "tray/iconids.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/textreader.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

// Ids remembered at most; the oldest not used in this run make room first.
constexpr std::size_t kMaxRemembered = 1000;

// "<id>\t<identity>"; nothing for a line that is not one.
std::optional<std::pair<std::uint32_t, std::string>> ParseRecord(const std::string& line) {
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || tab > 5 || tab + 1 == line.size()) return {};
    std::uint32_t id = 0;
    for (std::size_t at = 0; at < tab; ++at) {
        if (line[at] < '0' || line[at] > '9') return {};
        id = id * 10 + static_cast<std::uint32_t>(line[at] - '0');
    }
    if (id == 0 || id > kMaxIconId) return {};
    return std::pair{id, line.substr(tab + 1)};
}

}  // namespace

std::uint32_t DerivedIconId(std::string_view identity) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : identity) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash % kMaxIconId + 1;
}

std::string LineIdentity(std::string_view targetAsWritten, int occurrence) {
    std::string identity = "line:" + LowerCase(targetAsWritten);
    return occurrence > 1 ? identity + "#" + std::to_string(occurrence) : identity;
}

std::string FileIdentity(std::string_view fileName) {
    return "file:" + LowerCase(fileName);
}

std::string IdentityCounter::Next(std::string_view targetAsWritten) {
    int occurrence = ++seen_[LowerCase(targetAsWritten)];
    return LineIdentity(targetAsWritten, occurrence);
}

std::uint32_t IconIds::IdFor(const std::string& identity) {
    if (!loaded_) Load();
    auto known = std::find_if(records_.begin(), records_.end(),
                              [&](const Record& record) { return record.identity == identity; });
    if (known != records_.end()) {
        known->usedNow = true;
        return known->id;
    }
    std::uint32_t id = FreeIdFrom(DerivedIconId(identity));
    records_.push_back({identity, id, true});
    changed_ = true;
    return id;
}

std::uint32_t IconIds::FreeIdFrom(std::uint32_t id) const {
    auto taken = [&](std::uint32_t candidate) {
        return std::any_of(records_.begin(), records_.end(),
                           [&](const Record& record) { return record.id == candidate; });
    };
    while (taken(id)) id = id % kMaxIconId + 1;
    return id;
}

// A map that is missing or cannot be read is rebuilt: its ids come back as they were derived.
// Without a data folder there is no map: "\iconids.txt" would be the root of the current drive.
void IconIds::Load() {
    loaded_ = true;
    if (dataFolder_.empty()) return;
    std::string text;
    try {
        text = files_.ReadFile(MapFile());
    } catch (const std::exception&) {
        return;
    }
    LineReader reader(text);
    while (!reader.AtEnd()) {
        auto record = ParseRecord(reader.ReadLine());
        if (!record) continue;
        bool clash = std::any_of(records_.begin(), records_.end(), [&](const Record& known) {
            return known.id == record->first || known.identity == record->second;
        });
        if (!clash) records_.push_back({record->second, record->first, false});
    }
}

// Losing the map costs only the users' show/hide choices for new ids, so a failure to write it
// is no error the user sees.
void IconIds::Remember() {
    if (!std::exchange(changed_, false) || dataFolder_.empty()) return;
    while (records_.size() > kMaxRemembered) {
        auto unused = std::find_if(records_.begin(), records_.end(),
                                   [](const Record& record) { return !record.usedNow; });
        if (unused == records_.end()) break;
        records_.erase(unused);
    }
    std::string text;
    for (const Record& record : records_) {
        text += std::to_string(record.id) + "\t" + record.identity + "\r\n";
    }
    try {
        files_.WriteFile(MapFile(), text);
    } catch (const std::exception&) {
    }
}

}  // namespace iconlane
