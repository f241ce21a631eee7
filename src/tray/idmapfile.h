// The map of icon ids as it is kept in its file: one record a line, "<id> <day>\t<identity>",
// the least recently used first. Files of earlier versions hold "<id>\t<identity>" lines, in the
// order the ids were given; they read as records of unknown day, older than any other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace iconlane {

// Records kept at most: the least recently used of the earlier runs' make room first. A map file
// is read only as far as this many records of long targets fill.
inline constexpr std::size_t kMaxRemembered = 1000;
inline constexpr std::size_t kMaxMapBytes = 1 << 20;

struct IdRecord {
    std::string identity;
    std::uint32_t id = 0;
    std::int64_t day = 0;  // when it was last used, in days since 1970; 0 when not known
    bool usedNow = false;  // given out by this run
    bool operator==(const IdRecord&) const = default;
};

// The records of a map file's text, least recently used first, their identities' letter case
// folded as today's identities fold it: at most kMaxRemembered, those of the last lines. A line
// that is no record is skipped, as is a record whose id or identity a later one has. A text
// longer than kMaxMapBytes is the start of a longer file: its whole lines within that size count.
std::vector<IdRecord> ParseIdMap(std::string_view text);

std::string FormatIdMap(const std::vector<IdRecord>& records);

// What a run writes: its own records (those `usedNow`) with the file's others that share neither
// identity nor id with one of them, least recently used first; at most kMaxRemembered unless the
// run's own are more.
std::vector<IdRecord> MergeIdMaps(const std::vector<IdRecord>& run, std::vector<IdRecord> file);

}  // namespace iconlane
