#include "tray/iconpromotion.h"

#include "platform/textrules.h"

namespace iconlane {
namespace {

// The task bar writes its record of a new icon a few seconds after the icon was added.
constexpr unsigned kWatchMs = 30000;

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
                 const std::set<std::uint32_t>& ids, const KnownFolderLookup& knownFolder) {
    if (!record.uid || !ids.contains(*record.uid)) return false;
    std::optional<std::string> path = ExpandKnownFolder(record.executablePath, knownFolder);
    return path && UpperCase(*path) == UpperCase(programPath);
}

IconPromotion::IconPromotion(TrayIconRecords& records, const Options& options,
                             const TrayIcons& tray)
    : records_(records), options_(options), tray_(tray) {}

// The watch is armed before the records are listed, so that none can slip in between unseen.
void IconPromotion::BeforeAdd() {
    if (!options_.ShowIcons) return;
    bool starting = !records_.Watching();
    if (!records_.Watch(kWatchMs, [this] { RecordsChanged(); }) || !starting) return;
    std::optional<std::vector<std::string>> names = records_.RecordNames();
    settled_ =
        names ? std::set<std::string>(names->begin(), names->end()) : std::set<std::string>();
}

// A record the task bar is still writing (no path or id yet) is looked at again at its next
// change; every other one only once, so that a user who hides the icon at once keeps it hidden.
void IconPromotion::RecordsChanged() {
    std::optional<std::vector<std::string>> names = records_.RecordNames();
    if (!names) return;
    const std::string program = records_.ProgramPath();
    KnownFolderLookup knownFolder = [this](const std::string& guid) {
        return records_.KnownFolder(guid);
    };
    for (const std::string& name : *names) {
        if (settled_.contains(name)) continue;
        std::optional<TrayIconRecord> record = records_.ReadRecord(name);
        if (!record || record->executablePath.empty() || !record->uid) continue;
        settled_.insert(name);
        if (IsOwnRecord(*record, program, tray_.IdsInTray(), knownFolder)) records_.Promote(name);
    }
}

}  // namespace iconlane
