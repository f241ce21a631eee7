#include "tray/idmapfile.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "platform/textrules.h"
#include "platform/trayrecord.h"

namespace iconlane {
namespace {

// Up to `maxDigits` decimal digits at `at`, moving past them; nothing when there are none.
std::optional<std::int64_t> DigitsAt(std::string_view line, std::size_t& at,
                                     std::size_t maxDigits) {
    std::size_t start = at;
    std::int64_t value = 0;
    while (at < line.size() && at - start < maxDigits && line[at] >= '0' && line[at] <= '9')
        value = value * 10 + (line[at++] - '0');
    if (at == start) return std::nullopt;
    return value;
}

struct Line {
    std::uint32_t id;
    std::int64_t day;
    std::string_view identity;
};

// "<id> <day>\t<identity>" or "<id>\t<identity>"; nothing for a line that is neither.
std::optional<Line> ParseRecord(std::string_view line) {
    std::size_t at = 0;
    std::optional<std::int64_t> id = DigitsAt(line, at, 5), day = 0;
    if (!id || *id == 0 || *id > kMaxIconId) return std::nullopt;
    if (at < line.size() && line[at] == ' ') day = DigitsAt(line, ++at, 9);
    if (!day || at + 1 >= line.size() || line[at] != '\t') return std::nullopt;
    return Line{static_cast<std::uint32_t>(*id), *day, line.substr(at + 1)};
}

// The records of a text, in its order. Lines end at CR LF, a lone CR or a lone LF.
std::vector<Line> RecordLines(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<Line> lines;
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        if (std::optional<Line> line = ParseRecord(text.substr(0, end))) lines.push_back(*line);
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        text.remove_prefix(end);
    }
    return lines;
}

bool UsedEarlier(const IdRecord& a, const IdRecord& b) {
    return a.day < b.day;
}

// Drops the least recently used records not of this run until at most kMaxRemembered are left.
void KeepMostRecent(std::vector<IdRecord>& records) {
    std::size_t excess = records.size() > kMaxRemembered ? records.size() - kMaxRemembered : 0;
    std::erase_if(records, [&](const IdRecord& record) {
        return excess > 0 && !record.usedNow && (--excess, true);
    });
}

}  // namespace

// Read from the last line back: a map holds its most recently used records last, so the work
// ends with the records kept, however many the file holds.
std::vector<IdRecord> ParseIdMap(std::string_view text) {
    if (text.size() > kMaxMapBytes) {
        std::size_t lineEnd = text.find_last_of('\n', kMaxMapBytes - 1);
        text = text.substr(0, lineEnd == std::string_view::npos ? 0 : lineEnd);
    }
    std::vector<Line> lines = RecordLines(text);
    std::vector<IdRecord> records;
    std::unordered_set<std::string> identities;
    std::vector<bool> ids(kMaxIconId + 1);
    for (auto line = lines.rbegin(); line != lines.rend() && records.size() < kMaxRemembered;
         ++line) {
        std::string identity = FoldCase(line->identity);
        if (ids[line->id] || !identities.insert(identity).second) continue;
        ids[line->id] = true;
        records.push_back({std::move(identity), line->id, line->day});
    }
    std::reverse(records.begin(), records.end());
    // Records of one day keep the file's order: later lines were used later.
    std::stable_sort(records.begin(), records.end(), UsedEarlier);
    return records;
}

std::string FormatIdMap(const std::vector<IdRecord>& records) {
    std::string text;
    for (const IdRecord& record : records) {
        text += std::to_string(record.id) + " " + std::to_string(record.day) + "\t" +
                record.identity + "\r\n";
    }
    return text;
}

std::vector<IdRecord> MergeIdMaps(const std::vector<IdRecord>& run, std::vector<IdRecord> file) {
    std::unordered_set<std::string> identities;
    std::vector<bool> ids(kMaxIconId + 1);
    for (const IdRecord& record : run) {
        if (record.usedNow) identities.insert(record.identity), ids[record.id] = true;
    }
    std::erase_if(file, [&](const IdRecord& record) {
        return ids[record.id] || identities.contains(record.identity);
    });
    for (const IdRecord& record : run) {
        if (record.usedNow) file.push_back(record);
    }
    std::stable_sort(file.begin(), file.end(), UsedEarlier);
    KeepMostRecent(file);
    return file;
}

}  // namespace iconlane
