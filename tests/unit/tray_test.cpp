// The entry table: each entry's window, picture and tray icon, the icon its target is shown with,
// and the icon's life in the tray.
#include <gtest/gtest.h>

#include <tuple>

#include "fake_platform.h"
#include "tray/entrytable.h"

namespace iconlane {
namespace {

using namespace fake;
constexpr const char* kLibrary = FakePlatform::kLibrary;

struct Tray {
    int Add(std::string target, std::string tooltip = "", std::string iconField = "") {
        return ErrorOf([&] { table.AddEntry(target, tooltip, iconField); });
    }
    const TrayRecord& Last() const { return platform.trayCalls.back().record; }

    FakePlatform platform;
    Options options;
    std::string dataFolder = "C:\\Data";
    IconResolver icons{platform.services, dataFolder};
    EntryTable table{platform.services, options, icons};
};
struct EntryTableTest : ::testing::Test, Tray {};

TEST_F(EntryTableTest, TheTrayRecordCarriesTheEntryAndItsTooltip) {
    auto padded = [](std::string text) { return text += '\0', text.resize(64, ' '), text; };
    const std::string x63(63, 'x');
    const std::vector<std::pair<std::string, std::string>> cases = {{"", padded("C:\\a.exe")},
                                                                    {"Tip", padded("Tip")},
                                                                    {x63, x63 + '\0'},
                                                                    {x63 + "yz", x63 + "y"}};
    for (std::size_t k = 1; k <= cases.size(); ++k) {
        const auto& [tooltip, tip] = cases[k - 1];
        ASSERT_EQ(Add("C:\\a.exe", tooltip), 0);
        const TrayRecord& r = Last();
        EXPECT_EQ(std::string(r.szTip.begin(), r.szTip.end()), tip) << tooltip;
        EXPECT_EQ(std::tuple(r.cbSize, r.hWnd, r.uID, r.uFlags, r.uCallbackMessage, r.hIcon),
                  std::tuple(88u, FakePlatform::kTrayWindow, k, 7u, 512u, platform.lastIcon));
        EXPECT_EQ(platform.Calls(k - 1), "A" + std::to_string(k));
    }
}

TEST_F(EntryTableTest, IconFieldNamesAnIconFileOrANumber) {
    platform.AddFile("C:\\Icons\\Star.ICO");
    platform.AddFile("D:Moon.ico");
    platform.AddFile("Sun.ico");
    platform.AddFile("C:\\Icons\\bad.ico", "");  // no picture in it
    platform.iconCounts["a.exe"] = 10;
    // The field, as the entry rewrites it, the file loaded ("" for an icon of the target), error
    const std::vector<std::tuple<std::string, std::string, std::string, int>> cases = {
        {"C:\\Icons\\star.ico", "star.ico", "C:\\Icons\\star.ico", 0},
        {"C:/Icons/S*.Ico", "star.ico", "C:/Icons/star.ico", 0},
        {"d:MOON.ICO", "moon.ico", "d:moon.ico", 0},
        {"Sun.ico", "sun.ico", "sun.ico", 0},
        {"C:\\Icons\\gone.ico", "", "", 0},
        {"C:\\Icons\\bad.ico", "bad.ico", "C:\\Icons\\bad.ico", kInvalidPicture},
        {"7", "7", "", 0},
        {"1e10", "1e10", "", kOverflow},
        {"C:\\Icons\\a<b.ico", "C:\\Icons\\a<b.ico", "", kBadFileName}};
    for (const auto& [field, rewritten, loaded, error] : cases) {
        platform.loadedPictures.clear();
        platform.extracted.clear();
        std::string target = "a.exe", tooltip, icon = field;
        std::size_t calls = platform.trayCalls.size();
        EXPECT_EQ(ErrorOf([&] { table.AddEntry(target, tooltip, icon); }), error);
        EXPECT_EQ(icon, rewritten);
        EXPECT_EQ(platform.loadedPictures, loaded.empty() ? Texts{} : Texts{loaded}) << field;
        EXPECT_EQ(platform.extracted.size(), loaded.empty() && error == 0 ? 1u : 0u) << field;
        EXPECT_EQ(platform.trayCalls.size(), calls + (error == 0 ? 1 : 0)) << field;
    }
}

TEST_F(EntryTableTest, ThirtyEntriesAtMostAndAFailedOneKeepsItsNumber) {
    EXPECT_EQ(Add("bad.exe", "", "1e10"), kOverflow);
    for (int i = 2; i <= 30; ++i) ASSERT_EQ(Add("a" + std::to_string(i)), 0);
    EXPECT_EQ(Add("b.exe"), kSubscriptOutOfRange);
    EXPECT_EQ(platform.slots.size(), 30u);
    const std::string calls = platform.Calls();
    EXPECT_EQ(calls.substr(0, 4) + calls.substr(calls.size() - 6), "A2A3A29A30");
    EXPECT_EQ(table.EntryTargets(30), "a30");
}

// An icon is deleted once, by whoever unloads its window, and the last one leaves the message loop;
// icons the shell lost are put back as they show; the phase "Up" shows the Up image.
TEST_F(EntryTableTest, AnIconsLifeInTheTray) {
    // Actions: add, fail (an entry failing after its window is made), again (the shell lost it),
    // unload, lost (the window system unloads it), end (the program), phase; "!" where the shell
    // refuses the icon. Then the tray calls ("^": the Up image), the retry timer, the quits.
    // clang-format off
    const std::vector<std::tuple<std::string, int, std::string, unsigned, int>> steps = {
        {"fail", 1, "", 0, 0}, {"unload", 1, "D1", 0, 0}, {"add!", 2, "A2", 2000, 0},
        {"add", 3, "A3", 0, 0}, {"add", 4, "A4", 0, 0}, {"phase Up", 3, "M3^", 0, 0},
        {"phase uP", 3, "M3^", 0, 0}, {"phase Up ", 3, "M3", 0, 0}, {"phase Down", 3, "M3", 0, 0},
        {"again!", 2, "D2A2", 2000, 0}, {"again", 2, "D2A2", 0, 0}, {"again", 1, "", 0, 0},
        {"lost", 2, "D2", 0, 0}, {"unload", 2, "", 0, 0}, {"end", 4, "D3D4", 0, 0},
        {"unload", 3, "D3", 0, 0}, {"lost", 4, "D4", 0, 1}, {"lost", 4, "", 0, 1}};
    // clang-format on
    std::uintptr_t filled = 0;  // the icon of the latest add or change
    for (const auto& [action, entry, calls, retry, quits] : steps) {
        std::size_t from = platform.trayCalls.size();
        platform.refusedAdds = action.ends_with("!") ? 1 : 0;
        if (action.starts_with("add") || action == "fail")
            Add("a", "T", action == "fail" ? "1e10" : "");
        if (action.starts_with("again")) table.AddIconAgain(entry);
        if (action == "unload") table.EntryWindows(entry)->Unload();
        if (action == "lost") platform.slots[entry - 1].Unload();
        if (action == "end") table.RemoveAllTrayIcons();
        if (action.starts_with("phase ")) table.SetEntryIcon(entry, action.substr(6));
        EXPECT_EQ(std::tuple(platform.Calls(from), platform.slots[entry - 1].retryTimer,
                             platform.quitCalls),
                  std::tuple(calls, retry, quits))
            << action << entry;
        for (std::size_t i = from; i < platform.trayCalls.size(); ++i) {
            const TrayCall& call = platform.trayCalls[i];
            if (call.operation != TrayOperation::kDelete) filled = call.record.hIcon;
            EXPECT_EQ(call.record.hIcon, filled);
            EXPECT_EQ(std::tuple(call.record.cbSize, call.record.hWnd, call.Tip()),
                      std::tuple(88u, FakePlatform::kTrayWindow, std::string(i ? "T" : "")));
        }
    }
}

// The target's own icon first, then the icon its file type is registered with, then a stock
// icon; whichever is found is shown and kept in the entry's cache file, whose saving may fail.
TEST(IconResolutionTest, TargetIconThenFileTypeIconThenStockIcon) {
    using Values = std::map<std::string, std::string>;
    using Asked = std::vector<std::pair<std::string, std::int32_t>>;
    const std::string icon = "txtfile\\DefaultIcon", open = "txtfile\\shell\\open\\command";
    const Values txt = {{".txt", "txtfile"}, {open, "ed.exe %1"}}, none = {};
    auto with = [&](const std::string& subkey, const std::string& text) {
        Values values = txt;
        return values[subkey] = text, values;
    };
    auto type = [](std::string extension, std::string name, std::string text) {
        return Values{{extension, name}, {name + "\\DefaultIcon", text}};
    };
    const Asked stock = {{kLibrary, 0}};
    // The target, its icon number, the registry, what is asked for after the target's own icon
    // (ending with the built-in icon when the system library has none either)
    // clang-format off
    const std::vector<std::tuple<std::string, int, Values, Asked>> cases = {
        {"C:\\App.EXE", 0, type(".exe", "x", "l.dll,1"), {{kLibrary, 2}}},
        {"own.txt", 2, txt, {}},
        {"own.txt", 3, txt, {{"ed.exe", 0}}},
        {"a.xyz", 0, txt, stock},
        {"a.txt", 0, txt, {{"ed.exe", 0}}},
        {"a.txt", 0, with(icon, " C:\\l.dll , 3.5 "), {{"C:\\l.dll", 4}}},
        {"a.txt", 0, with(icon, "l.dll,2.5"), {{"l.dll", 2}}},
        {"a.txt", 0, with(icon, "C:\\a,b.dll,+0.5"), {{"C:\\a,b.dll", 0}, {kLibrary, 0}}},
        {"a.txt", 0, with(icon, "l.dll,2147483648"), stock},
        {"a.txt", 0, with(icon, "l.dll,"), stock},
        {"a.txt", 0, with(icon, "l.dll,4x"), stock},
        {"a.txt", 0, with(icon, "l.dll"), {{"ed.exe", 0}}},
        {"a.txt", 0, with(open, "l.dll,1"), {{"l.dll", 1}}},
        {"a.txt", 0, with(open, "\"C:\\x y\\a.exe\" %1"), {{"\"C:\\x", 0}, {kLibrary, 0}}},
        {"a.txt", 0, with(open, "rundll32.exe lib,EntryPoint %1"), stock},
        {"a.txt", 0, {{".txt", "txtfile"}}, stock},
        {"a.txt", 0, type(".txt", std::string(259, 't'), "l.dll,9"), {{"l.dll", 9}}},
        {"a.txt", 0, with(".txt", ""), stock},  // a value that reads as no bytes at all
        {"HtTP://s/a.php", 0, type(".htm", "t", "l.dll,6"), {{"l.dll", 6}}},
        {"xhttp://s/a.PHP", 0, type(".php", "t", "l.dll,8"), {{"l.dll", 8}}},
        {"C:\\my.dir\\file", 0, type(".dir\\file", "t", "l.dll,3"), {{"l.dll", 3}}},
        {"C:\\Windows", 0, type("c:\\windows", "t", "l.dll,2"), {{"l.dll", 2}}},
        {"C:\\a.exe", 0, none, {{kLibrary, 2}, {kLibrary, 0}, {"built-in", 0}}},
        {"C:\\a.txt", 0, none, {{kLibrary, 0}, {"built-in", 0}}}};
    // clang-format on
    for (const auto& [target, number, values, after] : cases) {
        for (int saveError : {0, 75}) {
            SCOPED_TRACE(target + " " + std::to_string(number) + " " + std::to_string(saveError));
            Tray tray;
            FakePlatform& platform = tray.platform;
            for (const auto& [subkey, text] : values) {
                platform.registry[subkey] = text.empty() ? "" : text + '\0';
            }
            const bool builtIn = !after.empty() && after.back().first == "built-in";
            platform.iconCounts = {{"C:\\l.dll", 10}, {"l.dll", 10}, {"ed.exe", 1}, {"own.txt", 3}};
            if (!builtIn) platform.iconCounts[kLibrary] = 300;
            platform.saveIconError = saveError;
            const int error = builtIn ? 0 : saveError;
            EXPECT_EQ(tray.Add(target, "", std::to_string(number)), error);
            Asked asked = {{target, number}};
            asked.insert(asked.end(), after.begin(), after.end() - (builtIn ? 1 : 0));
            EXPECT_EQ(platform.extracted, asked);
            const std::uintptr_t shown = builtIn ? FakePlatform::kBuiltInIcon : platform.lastIcon;
            using Saved = std::vector<std::pair<std::string, std::uintptr_t>>;
            const Saved saved = {{"C:\\Data\\1.ico", shown}};
            EXPECT_EQ(platform.saved, builtIn || error ? Saved{} : saved);
            EXPECT_EQ(error ? 0 : tray.Last().hIcon, error ? 0 : shown);
        }
    }
}

}  // namespace
}  // namespace iconlane
