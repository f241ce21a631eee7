// Tray icon ids that belong to what an entry is, not to where it stands. Windows keeps the user's
// choice to show or hide an icon under the program's path and the icon's id, so an entry keeps
// its id across insertions, deletions and restarts: the ids given out are remembered in a small
// file in the data folder.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"

namespace iconlane {

inline constexpr std::uint32_t kMaxIconId = 65535;

// The id an identity asks for first: a hash of it within 1..65535.
std::uint32_t DerivedIconId(std::string_view identity);

// What an entry is: a batch line by its target as written (a repeated target with its count), a
// folder's file by its name; without letter case in both.
std::string LineIdentity(std::string_view targetAsWritten, int occurrence);
std::string FileIdentity(std::string_view fileName);

// Numbers the occurrences of each identity in a list, so that equal targets stay distinct.
class IdentityCounter {
public:
    std::string Next(std::string_view targetAsWritten);

private:
    std::map<std::string, int> seen_;
};

class IconIds {
public:
    IconIds(FileSystem& files, const std::string& dataFolder)
        : files_(files), dataFolder_(dataFolder) {}

    // The id of an identity: the one it was given before, else a new one, derived from the
    // identity or, where that is taken, the next free value.
    std::uint32_t IdFor(const std::string& identity);
    // Writes the map when new ids were given since it was read or last written: once after the
    // entries of a start or a reload, not once an entry. Without a data folder (empty) the map is
    // neither read nor written: the ids are the derived ones.
    void Remember();

    std::string MapFile() const { return dataFolder_ + "\\iconids.txt"; }

private:
    struct Record {
        std::string identity;
        std::uint32_t id;
        bool usedNow;
    };
    void Load();
    std::uint32_t FreeIdFrom(std::uint32_t id) const;

    FileSystem& files_;
    const std::string& dataFolder_;
    bool loaded_ = false;
    bool changed_ = false;
    std::vector<Record> records_;  // oldest first
};

}  // namespace iconlane
