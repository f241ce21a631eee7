// Tray icon ids that belong to what an entry is, not to where it stands. Windows keeps the user's
// choice to show or hide an icon under the program's path and the icon's id, so an entry keeps
// its id across insertions, deletions and restarts: the ids given out are remembered in a small
// file in the data folder, which every copy of the program running for the user shares.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/services.h"
#include "tray/idmapfile.h"

namespace iconlane {

// The id an identity asks for first: a hash of it within 1..65535.
std::uint32_t DerivedIconId(std::string_view identity);

// What an entry is: a batch line by its target as written, a folder's file by its name; letter
// case folded in both as the file system folds it.
std::string LineIdentity(std::string_view targetAsWritten);
std::string FileIdentity(std::string_view fileName);

// Keeps the identities of one list apart: a repeat of an identity gets its count before the colon
// ("line#2:a.exe"), where no target or file name can put anything.
class IdentityCounter {
public:
    std::string Next(const std::string& identity);

private:
    std::map<std::string, int> seen_;
};

class IconIds {
public:
    IconIds(Services& services, const std::string& dataFolder)
        : services_(services), dataFolder_(dataFolder) {}

    // The id of an identity: the one it was given before, else a new one, derived from the
    // identity or, where that is taken, the next free value. Never one given to another identity
    // in this run.
    std::uint32_t IdFor(const std::string& identity);
    // Writes the map when ids were given or first used today since it was read or last written:
    // once after the entries of a start or a reload, not once an entry. Merges what another copy
    // of the program wrote meanwhile. Without a data folder (empty) the map is neither read nor
    // written: the ids are the derived ones.
    void Remember();

    std::string MapFile() const { return dataFolder_ + "\\iconids.txt"; }

private:
    std::optional<std::vector<IdRecord>> ReadMap();
    void Load();
    void Index();
    std::uint32_t FreeIdFrom(std::uint32_t id);

    Services& services_;
    const std::string& dataFolder_;
    bool loaded_ = false;
    bool changed_ = false;
    bool writable_ = true;  // false for a map that is there but could not be read
    std::int64_t today_ = 0;
    std::vector<IdRecord> records_;  // the least recently used first
    std::unordered_map<std::string, std::size_t> byIdentity_;
    std::vector<std::uint8_t> taken_;  // by id: 1 for an id a record has
};

}  // namespace iconlane
