#include "tray/iconpromotion.h"

#include "platform/textrules.h"

namespace iconlane {
namespace {

// The task bar writes its record of a new icon a few seconds after the icon was added.
constexpr unsigned kWatchMs = 30000;
// A record unchanged for this long is written whole.
constexpr unsigned kSettleMs = 1000;

}  // namespace

std::optional<std::string> ExpandKnownFolder(const std::string& path,
                                             const KnownFolderLookup& knownFolder) {
    std::size_t close = path.find('}');
    if (path.empty() || path[0] != '{' || close == std::string::npos) return path;
    std::optional<std::string> folder = knownFolder(path.substr(0, close + 1));
    if (!folder) return std::nullopt;
    std::string rest = path.substr(close + 1);
    // A drive root keeps its separator ("C:\"): the rest must not add a second one.
    if (!folder->empty() && folder->back() == '\\' && rest.starts_with('\\')) rest.erase(0, 1);
    return *folder + rest;
}

bool IsOwnRecord(const TrayIconRecord& record, const std::string& programPath,
                 const KnownFolderLookup& knownFolder) {
    std::optional<std::string> path = ExpandKnownFolder(record.executablePath, knownFolder);
    return path && UpperCase(*path) == UpperCase(programPath);
}

IconPromotion::IconPromotion(TrayIconRecords& records, WindowSystem& clock, const Options& options,
                             const TrayIcons& tray)
    : records_(records), clock_(clock), options_(options), tray_(tray) {}

// The watch is armed before the records are listed, so that none can slip in between unseen.
void IconPromotion::BeforeAdd() {
    if (!options_.ShowIcons) return;
    bool starting = !records_.Watching();
    if (!records_.Watch(kWatchMs, kSettleMs, [this] { RecordsChanged(); }) || !starting) return;
    std::optional<std::vector<std::string>> names = records_.RecordNames();
    blind_ = !names;
    done_ = names ? std::set<std::string>(names->begin(), names->end()) : std::set<std::string>();
    settling_.clear();
}

void IconPromotion::IconCounted() {
    if (options_.ShowIcons && records_.Watching()) DecideSettled();
}

// The task bar writes a new record's values in no set order, and may write its own "not shown"
// after the path and id: a record is only looked at once it has settled, every change starting
// its wait again.
void IconPromotion::RecordsChanged() {
    std::optional<std::vector<std::string>> names = records_.RecordNames();
    if (blind_ || !names) return;
    const std::uint64_t now = clock_.Milliseconds();
    for (const std::string& name : *names) {
        if (done_.contains(name)) continue;
        std::optional<TrayIconRecord> record = records_.ReadRecord(name);
        if (!record) continue;
        auto [settling, first] = settling_.try_emplace(name, Settling{*record, now});
        if (!first && !(settling->second.record == *record)) settling->second = {*record, now};
    }
    DecideSettled();
}

void IconPromotion::DecideSettled() {
    const std::uint64_t now = clock_.Milliseconds();
    for (auto at = settling_.begin(); at != settling_.end();) {
        if (now - at->second.since >= kSettleMs && Decide(at->first, at->second.record)) {
            done_.insert(at->first);
            at = settling_.erase(at);
        } else {
            ++at;
        }
    }
}

// True once the record is dealt with for good: shown, or another program's or place's. One still
// without path or id, or one of this program's for an icon not counted yet, waits on.
bool IconPromotion::Decide(const std::string& name, const TrayIconRecord& record) {
    if (record.executablePath.empty() || !record.uid) return false;
    KnownFolderLookup knownFolder = [this](const std::string& guid) {
        return records_.KnownFolder(guid);
    };
    if (!IsOwnRecord(record, records_.ProgramPath(), knownFolder)) return true;
    if (!tray_.IdsInTray().contains(*record.uid)) return false;
    records_.Promote(name);
    return true;
}

}  // namespace iconlane
