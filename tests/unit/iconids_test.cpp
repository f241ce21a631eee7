// Icon ids that belong to what an entry is, the records Windows 11 keeps of them, and the frames
// an icon file offers for the tray's size.
#include "tray/iconids.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "fake_platform.h"
#include "platform/iconframes.h"
#include "started_program.h"

namespace iconlane {
namespace {

using namespace fake;

// A directory of frames (width, height, bits a pixel; 0 stands for 256), each followed in a file
// by an image of 8 bytes; in a group, frame n is the icon resource 100 + n.
std::string IconDirectory(const std::vector<std::array<int, 3>>& frames, IconDirectoryKind kind) {
    const bool file = kind == IconDirectoryKind::kFile;
    std::string bytes{0, 0, 1, 0, char(frames.size()), 0}, images;
    for (const auto& [width, height, bits] : frames) {
        const std::size_t location =
            file ? 6 + 16 * frames.size() + images.size() : 100 + bytes.size() / 14;
        bytes += {char(width),    char(height),       0, 0, 1, 0, char(bits), 0, 8, 0, 0, 0,
                  char(location), char(location >> 8)};
        if (file) bytes += std::string(2, '\0'), images += std::string(8, 'i');
    }
    return bytes + images;
}

// Scaled down, a frame keeps its detail; scaled up, it blurs.
TEST(IconFramesTest, TheSmallestFrameAtLeastTheSizeElseTheLargestWithTheMostColours) {
    using Frames = std::vector<std::array<int, 3>>;
    const Frames own = {{16, 16, 4}, {32, 32, 4}, {48, 48, 4}, {64, 64, 4}};
    // The frames, the size asked for, the frame chosen
    // clang-format off
    const std::vector<std::tuple<Frames, int, int, std::size_t>> cases = {
        {own, 16, 16, 0}, {own, 20, 20, 1}, {own, 24, 24, 1}, {own, 40, 40, 2}, {own, 96, 96, 3},
        {{{32, 32, 4}, {16, 16, 32}, {32, 32, 32}}, 20, 20, 2},
        {{{33, 32, 4}, {66, 64, 4}}, 41, 40, 1},
        {{{0, 0, 32}, {48, 48, 32}}, 64, 64, 0}, {{{16, 16, 4}}, 20, 20, 0}};
    // clang-format on
    for (const auto kind : {IconDirectoryKind::kFile, IconDirectoryKind::kGroup}) {
        for (const auto& [given, width, height, chosen] : cases) {
            const std::vector<IconFrame> frames =
                ReadIconDirectory(IconDirectory(given, kind), kind);
            ASSERT_EQ(frames.size(), given.size());
            EXPECT_EQ(ChooseIconFrame(frames, width, height), chosen) << width << " " << chosen;
            const std::size_t image = 6 + 16 * given.size() + 8 * chosen;
            EXPECT_EQ(frames[chosen].location,
                      kind == IconDirectoryKind::kFile ? image : 100 + chosen);
        }
    }
    // No icon at all, and a frame whose image the file does not hold whole.
    const std::string cut = IconDirectory(own, IconDirectoryKind::kFile);
    EXPECT_TRUE(ReadIconDirectory("this is text, not an icon", IconDirectoryKind::kFile).empty());
    EXPECT_EQ(ReadIconDirectory(cut.substr(0, cut.size() - 1), IconDirectoryKind::kFile).size(),
              3u);
}

// An id belongs to what an entry is; once given it stays, whatever else comes, goes or collides.
// The map is written only when it changed, and a map that is there but cannot be read is left
// as it is.
TEST(IconIdsTest, AnEntryKeepsTheIdItWasGivenFirst) {
    const std::string bravo = FileIdentity("Bravo.lnk"), today = " 19000\t";
    const std::uint32_t derived = DerivedIconId(bravo);
    const struct {
        std::string map;  // as an earlier run left it
        std::vector<std::string> asked;
        std::vector<std::uint32_t> ids;
        std::string written = "?";  // the map this run leaves; "?": not looked at
        int readError = 0;
        std::string folder = "C:\\D";  // the data folder; none: the map is neither read nor written
    } cases[] = {
        // clang-format off
        {"", {bravo, FileIdentity("bravo.LNK"), LineIdentity("a.exe")},
         {derived, derived, DerivedIconId("line:a.exe")}},
        {std::to_string(derived) + "\tfile:other", {bravo}, {derived % kMaxIconId + 1}},
        {"7\tfile:bravo.lnk\r\n8\tline#2:a.exe", {"line#2:a.exe", bravo}, {8, 7},
         "7" + today + "file:bravo.lnk\r\n8" + today + "line#2:a.exe\r\n"},
        {"junk\n0\tx\n65536\ty\n9\t\n123456\tz\n5 1x\tw\n12\tfile:bravo.lnk", {bravo}, {12}},
        {"5\tline:a\n5\tline:b\n6\tline:a", {"line:a", "line:b"}, {6, 5}},
        {"\xFF\xFE garbage", {bravo}, {derived}},
        {"9\tfile:\xC3\x89" "clair.lnk", {FileIdentity("\xC3\xA9" "clair.lnk")}, {9}},
        {"7 19000\tfile:bravo.lnk\r\n", {bravo}, {7}, "7 19000\tfile:bravo.lnk\r\n"},
        {"7 18999\tfile:bravo.lnk\n3 5\tline:x", {bravo}, {7},
         "3 5\tline:x\r\n7" + today + "file:bravo.lnk\r\n"},
        {"7\tfile:bravo.lnk", {bravo}, {derived}, "7\tfile:bravo.lnk", kPermissionDenied},
        {"7\tfile:bravo.lnk", {bravo}, {derived}, "7\tfile:bravo.lnk", kPathFileAccessError},
        {"7\tfile:bravo.lnk", {bravo, bravo}, {derived, derived}, "7\tfile:bravo.lnk", 0, ""}};
    // clang-format on
    for (const auto& row : cases) {
        FakePlatform platform;
        const std::string map = row.folder + "\\iconids.txt";
        platform.files[map] = {row.map};
        if (row.readError != 0) platform.readErrors[map] = row.readError;
        IconIds ids(platform.services, row.folder);
        std::vector<std::uint32_t> given;
        for (const std::string& identity : row.asked) given.push_back(ids.IdFor(identity));
        EXPECT_EQ(given, row.ids) << row.map;
        platform.readErrors.clear();  // for this run the map stays one that cannot be read
        ids.Remember();
        EXPECT_EQ(platform.files.size(), 1u);  // the map only, in its folder
        if (row.written != "?") {
            EXPECT_EQ(platform.files[map].contents, row.written) << row.map;
        }
        IconIds again(platform.services, row.folder);  // the next run reads what this one wrote
        for (std::size_t n = 0; n < given.size() && row.readError == 0; ++n)
            EXPECT_EQ(again.IdFor(row.asked[n]), given[n]) << row.asked[n];
    }
    // Repeats are counted in a form no target takes, letter case folded as file names fold.
    IdentityCounter counter;
    Texts identities;
    for (const char* target : {"A.exe", "b", "a.EXE", "https://x.org/a", "https://x.org/a",
                               "https://x.org/a#2", "\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"})
        identities.push_back(counter.Next(LineIdentity(target)));
    EXPECT_EQ(identities, (Texts{"line:a.exe", "line:b", "line#2:a.exe", "line:https://x.org/a",
                                 "line#2:https://x.org/a", "line:https://x.org/a#2",
                                 "line:\xC3\xA9t\xC3\xA9", "line#2:\xC3\xA9t\xC3\xA9"}));
}

// Two copies of the program (two lists) share the map: each writes its records over what the
// other wrote meanwhile, under the lock, and the records unused for longest make room first.
TEST(IconIdsTest, CopiesOfTheProgramKeepEachOthersRecords) {
    FakePlatform platform;
    const std::string folder = "C:\\D", map = folder + "\\iconids.txt";
    std::string records = "1 18000\tline:1\n";  // used later than the others, though first
    for (int k = 2; k <= 1000; ++k)
        records += std::to_string(k) + " 5\tline:" + std::to_string(k) + "\n";
    platform.files[map] = {records};
    IconIds first(platform.services, folder), second(platform.services, folder);
    const std::uint32_t firsts = first.IdFor("line:first"), seconds = second.IdFor("line:second");
    first.Remember(), second.Remember();
    IconIds third(platform.services, folder);
    EXPECT_EQ(std::pair(third.IdFor("line:first"), third.IdFor("line:second")),
              std::pair(firsts, seconds));
    for (const char* record : {"\tline:first\r\n", "\tline:second\r\n"})
        EXPECT_NE(platform.files[map].contents.find(record), std::string::npos) << record;
    EXPECT_EQ(third.IdFor("line:1"), 1u);
    EXPECT_NE(third.IdFor("line:2"), 2u);  // the least recently used, gone to make room
    EXPECT_EQ(platform.writes, (Texts{map + " (locked)", map + " (locked)"}));
    platform.lockBusy = true;  // held by another copy for longer than the wait: written later
    third.Remember();
    EXPECT_EQ(platform.writes.size(), 2u);
    platform.lockBusy = false;
    third.Remember();
    EXPECT_EQ(platform.writes.size(), 3u);
}

// Whatever the map holds, a start gives every entry an id of its own, reading no more than the
// records it keeps: the most recently used thousand of a map where every id is taken, nothing
// beyond the first megabyte. When every id has been given out, the records unused in this run
// give theirs up, the least recently used first.
TEST(IconIdsTest, AnyMapGivesEveryEntryAnIdOfItsOwn) {
    const std::string folder = "C:\\D", map = folder + "\\iconids.txt";
    std::string full;
    for (std::uint32_t id = 1; id <= kMaxIconId; ++id)
        full += std::to_string(id) + "\tline:" + std::to_string(id) + "\n";
    const std::string beyond = std::string(kMaxMapBytes, '\n') + "7\tline:beyond\n";
    for (const std::string& records : {full, beyond}) {
        FakePlatform platform;
        platform.files[map] = {records};
        IconIds ids(platform.services, folder);
        std::set<std::uint32_t> given;
        for (const char* identity : {"line:65535", "line:1", "line:beyond", "line:new"})
            given.insert(ids.IdFor(identity));
        EXPECT_EQ(given.size(), 4u);
        EXPECT_EQ(ids.IdFor("line:1"), DerivedIconId("line:1"));
        EXPECT_EQ(ids.IdFor("line:beyond"), DerivedIconId("line:beyond"));
        ids.Remember();
        EXPECT_LE(std::ranges::count(platform.files[map].contents, '\n'), 1000);
    }
    FakePlatform platform;
    platform.files[map] = {"1\tline:oldest\n2\tline:older\n3\tline:kept"};
    IconIds ids(platform.services, folder);
    std::set<std::uint32_t> given = {ids.IdFor("line:kept")};
    for (std::uint32_t n = 1; n <= kMaxIconId - 2; ++n) given.insert(ids.IdFor(std::to_string(n)));
    EXPECT_EQ(given.size(), kMaxIconId - 1);  // one more than were free
    EXPECT_EQ(std::pair(given.count(1), given.count(2)), std::pair(1ul, 0ul));  // the oldest's
}

// With SHOWICONS, a record the task bar writes for one of the icons in the tray is shown on the
// task bar once, when it has not changed for a second, whatever order its values came in; a
// record there before, another program's, one for an id not in the tray or for an unknown folder
// is left alone, and so is every record when they could not be listed as the icons came. One
// for an icon that comes later is shown when it comes. Without the option nothing is watched.
// The paths are compared without letter case, known folders expanded.
TEST(IconPromotionTest, OnlyRecordsNewForTheProgramsOwnIconsAreShown) {
    const std::string own = "|C:\\Apps\\Iconlane.exe|",
                      apps = "{A995A995-0000-4000-8000-00000000A995}";
    // The options file (";unlisted": the records cannot be listed as icons 1 and 2 come), records
    // before they come ("name|path|uid|shown"), records written afterwards (each a change, 100 ms
    // apart), the records shown once all has been quiet for a second and icon 3 has come
    // clang-format off
    const std::vector<std::tuple<std::string, Texts, Texts, std::string>> cases = {
        {"SHOWICONS=TRUE", {}, {"n|c:\\apps\\ICONLANE.EXE|2"}, "n"},
        {"SHOWICONS=TRUE", {"o" + own + "1"}, {"n" + own + "2"}, "n"},
        {"SHOWICONS=TRUE", {}, {"f|C:\\Other\\Iconlane.exe|1", "u" + own + "4"}, ""},
        {"SHOWICONS=TRUE", {}, {"g|" + apps + "\\Iconlane.exe|1", "h|{0}\\Iconlane.exe|2"}, "g"},
        {"SHOWICONS=TRUE", {}, {"n||1", "n" + own + "-", "n" + own + "1"}, "n"},
        {"SHOWICONS=TRUE", {}, {"n" + own + "1", "n" + own + "1|0"}, "n"},
        {"SHOWICONS=TRUE", {}, {"u" + own + "3"}, "u"},
        {"SHOWICONS=TRUE,;unlisted", {"o" + own + "1"}, {"n" + own + "2"}, ""},
        {"", {}, {"n" + own + "1"}, ""}};
    // clang-format on
    for (const auto& [ini, before, after, shown] : cases) {
        Bench b(0, ini);
        auto& records = b.platform.iconRecords.emplace();
        b.platform.knownFolders[apps] = "C:\\Apps";
        const auto quiet = [&](unsigned ms) {
            b.platform.now += ms;
            if (b.platform.recordsChanged) b.platform.recordsChanged();
        };
        auto write = [&](const std::string& text) {
            Texts part;
            std::istringstream fields(text);
            for (std::string field; std::getline(fields, field, '|');) part.push_back(field);
            const auto number = [&](std::size_t n) -> std::optional<std::uint32_t> {
                if (n >= part.size() || part[n] == "-") return std::nullopt;
                return static_cast<std::uint32_t>(std::stoul(part[n]));
            };
            records[part[0]] = {part[1], number(2), number(3)};
            quiet(100);
        };
        for (const std::string& record : before) write(record);
        b.platform.unreadableListings = ini.ends_with("unlisted") ? 1 : 0;
        b.Run("A A");
        for (const std::string& record : after) write(record);
        quiet(1000), b.Run("A");
        write("x|C:\\x.exe|9"), quiet(1000);  // one more change: nothing is shown twice
        std::string promoted, showing;
        for (const std::string& name : b.platform.promoted) promoted += name;
        for (const auto& [name, record] : records) showing += record.promoted == 1u ? name : "";
        EXPECT_EQ(promoted, shown) << after[0];
        EXPECT_EQ(showing, shown) << after[0];
        EXPECT_EQ(b.platform.Watching(), !ini.empty());
    }
}

}  // namespace
}  // namespace iconlane
