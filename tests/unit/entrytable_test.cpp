// The entry table: windows, pictures and tray records of the entries, and their unloading.
#include "tray/entrytable.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "platform/errors.h"

namespace iconlane {
namespace {

using fake::TrayCall;

class EntryTableTest : public ::testing::Test {
protected:
    // The error AddEntry fails with, 0 when it succeeds.
    int Add(std::string target, std::string tooltip = "", std::string iconField = "") {
        return fake::ErrorOf([&] { table->AddEntry(target, tooltip, iconField); });
    }
    std::uint32_t IconId(int entry) { return table->EntryWindows(entry)->IconId(); }
    std::size_t Count(TrayOperation operation) { return platform.TrayCalls(operation).size(); }
    // Every test ends with the table gone: no picture of it may outlive it.
    void TearDown() override {
        table.reset();
        EXPECT_EQ(platform.livePictures, 0);
    }

    fake::FakePlatform platform;
    Options options;
    std::string dataFolder;
    IconResolver icons{platform.services, dataFolder};
    std::unique_ptr<EntryTable> table =
        std::make_unique<EntryTable>(platform.services, options, icons);
};

TEST_F(EntryTableTest, AnEntryGetsAWindowAPictureAndATrayIcon) {
    options.ExitDisabled = true;
    ASSERT_EQ(Add("C:\\a.exe", "Editor", "2"), 0);
    ASSERT_EQ(platform.windows.size(), 1u);
    const fake::WindowState& window = platform.windows[0];
    EXPECT_EQ(window.id, 1u);
    EXPECT_EQ(window.menuCaptions, (std::vector<std::string>{"Launch!", "-", "Cancel Menu", "-",
                                                             "Help...", "-", "Exit Iconlane"}));
    EXPECT_EQ(window.menuEnabled, (std::vector<bool>{true, true, true, true, true, true, false}));
    // The target has no icon 2, so the stock program icon stands in for it.
    EXPECT_EQ(platform.extractedIcons,
              (std::vector<std::pair<std::string, std::int32_t>>{
                  {"C:\\a.exe", 2}, {fake::FakePlatform::kSystemLibrary, 2}}));
    EXPECT_EQ(table->EntryWindows(1)->Tag(), "1");
    EXPECT_EQ(table->EntryTargets(1), "C:\\a.exe");

    ASSERT_EQ(platform.trayCalls.size(), 1u);
    const TrayCall& call = platform.trayCalls[0];
    EXPECT_EQ(call.operation, TrayOperation::kAdd);
    EXPECT_EQ(call.record.cbSize, 88u);
    EXPECT_EQ(call.record.hWnd, window.handle);
    EXPECT_EQ(call.record.uID, 1u);
    EXPECT_EQ(call.record.uFlags, 7u);
    EXPECT_EQ(call.record.uCallbackMessage, 512u);
    EXPECT_EQ(call.record.hIcon, table->EntryWindows(1)->Picture1Handle());
    EXPECT_NE(call.record.hIcon, 0u);
    EXPECT_EQ(fake::TipText(call.record), "Editor");
}

TEST_F(EntryTableTest, TooltipFallsBackToTheTargetAndFillsTheTrayTip) {
    const std::string long64 = std::string(63, 'x') + "y", long70 = long64 + "zzzzzz";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "C:\\a.exe"},
        {"Tip", "Tip"},
        {long64.substr(1), long64.substr(1)},
        {long64, long64},
        {long70, long64}};
    for (const auto& [tooltip, shown] : cases) {
        ASSERT_EQ(Add("C:\\a.exe", tooltip), 0);
        const auto& tip = platform.trayCalls.back().record.szTip;
        // Up to 63 characters, a zero and then blanks; 64 or more are cut and carry no zero.
        std::string padded =
            shown.size() < 64 ? shown + '\0' + std::string(63 - shown.size(), ' ') : shown;
        EXPECT_EQ(std::string(tip.begin(), tip.end()), padded) << tooltip;
        EXPECT_EQ(table->EntryWindows(table->EntryCount())->LabelToolTip(),
                  tooltip.empty() ? "C:\\a.exe" : tooltip);
    }
}

TEST_F(EntryTableTest, IconFieldNamesAnIconFileOrANumber) {
    struct Case {
        std::string field, rewritten, loaded;
        int error;
    };
    platform.AddFile("C:\\Icons\\Star.ICO");
    platform.AddFile("D:Moon.ico");
    platform.AddFile("Sun.ico");
    platform.AddFile("C:\\Icons\\bad.ico", "");  // no picture in it
    platform.iconCounts["a.exe"] = 10;
    const std::vector<Case> cases = {
        {"C:\\Icons\\star.ico", "star.ico", "C:\\Icons\\star.ico", 0},
        {"C:/Icons/S*.Ico", "star.ico", "C:/Icons/star.ico", 0},
        {"d:MOON.ICO", "moon.ico", "d:moon.ico", 0},
        {"Sun.ico", "sun.ico", "sun.ico", 0},
        {"C:\\Icons\\gone.ico", "", "", 0},
        {"C:\\Icons\\bad.ico", "bad.ico", "C:\\Icons\\bad.ico", kInvalidPicture},
        {"7", "7", "", 0},
        {"1e10", "1e10", "", kOverflow},
        {"C:\\Icons\\a<b.ico", "C:\\Icons\\a<b.ico", "", kBadFileName}};
    for (const Case& c : cases) {
        platform.loadedPictures.clear();
        platform.extractedIcons.clear();
        std::string target = "a.exe", tooltip, field = c.field;
        std::size_t adds = Count(TrayOperation::kAdd);
        EXPECT_EQ(fake::ErrorOf([&] { table->AddEntry(target, tooltip, field); }), c.error);
        EXPECT_EQ(field, c.rewritten);
        bool extracted = c.loaded.empty() && c.error == 0;
        std::vector<std::string> loads;
        if (!c.loaded.empty()) loads = {c.loaded};
        EXPECT_EQ(platform.loadedPictures, loads) << c.field;
        EXPECT_EQ(platform.extractedIcons.size(), extracted ? 1u : 0u) << c.field;
        EXPECT_EQ(Count(TrayOperation::kAdd), adds + (c.error == 0 ? 1 : 0)) << c.field;
    }
}

TEST_F(EntryTableTest, ThirtyEntriesAtMostAndAFailedOneKeepsItsNumber) {
    EXPECT_EQ(Add("bad.exe", "", "1e10"), kOverflow);
    for (int i = 2; i <= kMaxEntries; ++i) ASSERT_EQ(Add("a" + std::to_string(i)), 0);
    EXPECT_EQ(Add("b.exe"), kSubscriptOutOfRange);
    EXPECT_EQ(table->EntryCount(), kMaxEntries);
    EXPECT_EQ(platform.windows.size(), 30u);
    EXPECT_EQ(Count(TrayOperation::kAdd), 29u);
    const std::vector<TrayCall> adds = platform.TrayCalls(TrayOperation::kAdd);
    for (std::size_t k = 0; k < adds.size(); ++k) EXPECT_EQ(adds[k].record.uID, k + 2);
    EXPECT_EQ(table->EntryWindows(2)->Tag(), "2");
    EXPECT_EQ(table->EntryTargets(30), "a30");
    EXPECT_EQ(platform.trayCalls[0].record.uID, IconId(2));
}

TEST_F(EntryTableTest, SetEntryIconSwitchesBetweenUpImageAndOwnPicture) {
    ASSERT_EQ(Add("a.exe", "Tip"), 0);
    const std::vector<std::pair<std::string, bool>> cases = {
        {"Up", true}, {"UP", true}, {"uP", true}, {"Down", false}, {"", false}, {"Up ", false}};
    for (const auto& [phase, up] : cases) {
        table->SetEntryIcon(1, phase);
        const TrayCall& call = platform.trayCalls.back();
        EXPECT_EQ(call.operation, TrayOperation::kModify);
        EXPECT_EQ(call.record.uID, IconId(1));
        EXPECT_EQ(call.record.hIcon, up ? fake::FakePlatform::kUpImageHandle
                                        : table->EntryWindows(1)->Picture1Handle())
            << phase;
        EXPECT_EQ(fake::TipText(call.record), "Tip");
    }
}

TEST_F(EntryTableTest, UnloadingDeletesTheTrayIconAndTheLastIconEndsTheLoop) {
    ASSERT_EQ(Add("a.exe", "A"), 0);
    ASSERT_EQ(Add("bad.exe", "", "1e10"), kOverflow);
    ASSERT_EQ(Add("c.exe", "C"), 0);
    const TrayRecord lastAdd = platform.trayCalls.back().record;
    struct Step {
        int entry;
        bool fromOutside, deletes;
        int quits;
    };
    const std::vector<Step> steps = {{1, false, true, 0},
                                     {2, true, true, 0},
                                     {1, false, false, 0},
                                     {3, true, true, 1},
                                     {3, false, false, 1}};
    for (const Step& s : steps) {
        std::size_t before = platform.trayCalls.size();
        if (s.fromOutside) platform.DestroyWindow(s.entry - 1);
        if (!s.fromOutside) table->EntryWindows(s.entry)->Unload();
        ASSERT_EQ(platform.trayCalls.size(), before + (s.deletes ? 1 : 0)) << s.entry;
        const TrayRecord& record = platform.trayCalls.back().record;
        if (s.deletes) {
            EXPECT_EQ(platform.trayCalls.back().operation, TrayOperation::kDelete);
            EXPECT_EQ(record.hWnd, fake::FakePlatform::kTrayWindowHandle);
            EXPECT_EQ(record.cbSize, 88u);
            EXPECT_EQ(record.uID, static_cast<std::uint32_t>(s.entry));
            EXPECT_EQ(record.hIcon, lastAdd.hIcon);  // left from the latest add
        }
        EXPECT_EQ(platform.quitCalls, s.quits) << s.entry;
    }
    EXPECT_EQ(table->LiveIconCount(), 0);
}

TEST_F(EntryTableTest, EndingTheProgramDeletesOnlyTheIconsStillShown) {
    for (const char* icon : {"", "1e10", "", ""}) Add("a.exe", "", icon);
    table->EntryWindows(3)->Unload();
    std::size_t before = platform.trayCalls.size();
    table->RemoveAllTrayIcons();
    std::vector<std::uint32_t> deleted;
    for (std::size_t i = before; i < platform.trayCalls.size(); ++i) {
        EXPECT_EQ(platform.trayCalls[i].operation, TrayOperation::kDelete);
        deleted.push_back(platform.trayCalls[i].record.uID);
    }
    EXPECT_EQ(deleted, (std::vector<std::uint32_t>{1, 4}));
}

TEST_F(EntryTableTest, ReleasingTheTableUnloadsEveryWindow) {
    platform.AddFile("x.ico");
    for (const char* icon : {"x.ico", "3", "1e10"}) Add("a.exe", "", icon);
    table.reset();
    EXPECT_EQ(Count(TrayOperation::kDelete), 3u);
    EXPECT_EQ(platform.quitCalls, 1);
}

TEST_F(EntryTableTest, UnloadBeforeAnyTrayIconStillSendsAWellFormedDelete) {
    ASSERT_EQ(Add("bad.exe", "", "1e10"), kOverflow);
    table->EntryWindows(1)->Unload();
    ASSERT_EQ(platform.trayCalls.size(), 1u);
    EXPECT_EQ(platform.trayCalls[0].record.cbSize, 88u);
    EXPECT_EQ(platform.trayCalls[0].record.uID, 1u);
}

// At log-on the shell may refuse an icon: it is retried until taken. After a restart of the
// shell every icon is put back once, as it shows at that moment.
TEST_F(EntryTableTest, AnIconTheShellLostIsAddedAgainOnceAsItShowsNow) {
    platform.refusedAdds = 1;
    ASSERT_EQ(Add("a.exe", "First"), 0);
    ASSERT_EQ(Add("b.exe", "Second"), 0);
    EXPECT_TRUE(platform.windows[0].retryTimerEnabled);
    EXPECT_FALSE(platform.windows[1].retryTimerEnabled);

    EntryWindow& second = *table->EntryWindows(2);
    second.SetFadeTimerEnabled(true);
    second.FlipBlinkPhase();  // mid-blink: the Up image shows
    for (int entry : {1, 2}) {
        std::size_t mark = platform.trayCalls.size();
        table->AddIconAgain(entry);
        ASSERT_EQ(platform.trayCalls.size(), mark + 2) << entry;
        const TrayCall& remove = platform.trayCalls[mark];
        const TrayCall& add = platform.trayCalls[mark + 1];
        EXPECT_EQ(remove.operation, TrayOperation::kDelete);
        EXPECT_EQ(add.operation, TrayOperation::kAdd);
        EXPECT_EQ(std::pair(remove.record.uID, add.record.uID),
                  std::pair(IconId(entry), IconId(entry)));
        EXPECT_EQ(fake::TipText(add.record), entry == 1 ? "First" : "Second");
        EXPECT_FALSE(platform.windows[static_cast<std::size_t>(entry - 1)].retryTimerEnabled);
    }
    EXPECT_EQ(platform.trayCalls.back().record.hIcon, fake::FakePlatform::kUpImageHandle);

    // An unloaded entry is not brought back.
    table->EntryWindows(1)->Unload();
    std::size_t mark = platform.trayCalls.size();
    table->AddIconAgain(1);
    EXPECT_EQ(platform.trayCalls.size(), mark);
}

}  // namespace
}  // namespace iconlane
