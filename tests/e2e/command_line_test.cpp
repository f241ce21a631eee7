// Start-up from the command line: a batch file ("/BATCH:<file>") gives one tray icon per entry
// line, refuses a 31st entry and reports a missing file; any other command line is itself one entry
// line.
#include <gmock/gmock.h>

#include <cstdio>

#include "iconlane_fixture.h"

namespace e2e {
namespace {

using ::testing::SizeIs;

class BatchFile : public IconlaneTest {};

TEST_F(BatchFile, GivesOneIconPerLineAndEndsWhenItsTrayWindowCloses) {
    scenario().writeLines("lane.txt", {
                                          "; everyday tools",  // a comment line makes no icon
                                          "%ICONLANE_E2E_APPS%\\editor.exe,,",
                                          "notes.txt,Team notes",
                                          "C:\\apps\\calc.exe,Calculator,",
                                      });
    start("/BATCH:" + scenario().pathOf("lane.txt"),
          {{"ICONLANE_E2E_APPS", "C:\\Program Files\\Lane Apps"}});

    // With no tooltip the expanded target is shown; icons come in line order.
    const Tips expected = {"C:\\Program Files\\Lane Apps\\editor.exe", "Team notes", "Calculator"};
    EXPECT_EQ(tray().waitForIcons(3), expected);
    EXPECT_TRUE(showsNoMessageBox());
    ASSERT_THAT(entryWindows(), SizeIs(1));

    // The program ends when its tray window is closed.
    closeEntryWindows();
    EXPECT_EQ(tray().waitForIcons(0), Tips{});
    EXPECT_TRUE(waitForExit()) << "iconlane.exe still runs with its tray window closed";
}

TEST_F(BatchFile, PrefixInSmallLettersStillNamesABatchFile) {
    scenario().writeLines("small.txt", {"C:\\apps\\mail.exe,Mail", "C:\\apps\\web.exe,Web,"});
    start("/batch:" + scenario().pathOf("small.txt"));

    EXPECT_EQ(tray().waitForIcons(2), (Tips{"Mail", "Web"}));
    closeEntryWindows();
    EXPECT_TRUE(waitForExit());
}

TEST_F(BatchFile, ThirtyFirstLineIsRefusedWithOneMessageAndThirtyIconsStay) {
    std::vector<std::string> lines;
    Tips firstThirty;
    for (int n = 1; n <= 31; ++n) {
        char tip[16];
        std::snprintf(tip, sizeof tip, "Tool %02d", n);
        char line[64];
        std::snprintf(line, sizeof line, "C:\\lane\\app%02d.exe,%s,", n, tip);
        lines.push_back(line);
        if (n <= 30) firstThirty.push_back(tip);
    }
    scenario().writeLines("full.txt", lines);
    start("/BATCH:" + scenario().pathOf("full.txt"));

    const auto box = waitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message box for the 31st line";
    EXPECT_EQ(box->title, "Iconlane");
    EXPECT_EQ(box->text, "Unexpected error #9 occurred in ParseLine while parsing '" + lines[30] +
                             "'\n\nPlease check line syntax");
    EXPECT_EQ(iconShownBy(*box), BoxIcon::Exclamation);
    // The 31st line is only read after the first thirty have their icons.
    EXPECT_EQ(tray().tips(), firstThirty);

    ASSERT_TRUE(pressOk(*box));
    EXPECT_TRUE(showsNoMessageBox()) << "more than one message box";
    EXPECT_EQ(tray().waitForIcons(30), firstThirty);
    EXPECT_THAT(entryWindows(), SizeIs(1));

    closeEntryWindows();
    EXPECT_EQ(tray().waitForIcons(0), Tips{});
    EXPECT_TRUE(waitForExit());
}

TEST_F(BatchFile, MissingFileIsReportedAndEndsTheProgramWithoutIcons) {
    start("/BATCH:C:\\nowhere\\none.txt");

    const auto box = waitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message box for the missing batch file";
    EXPECT_EQ(box->title, "Iconlane!");
    EXPECT_EQ(box->text, "Couldn't find 'C:\\nowhere\\none.txt' file as specified on command line");
    EXPECT_EQ(iconShownBy(*box), BoxIcon::Stop);
    EXPECT_EQ(tray().tips(), Tips{});
    EXPECT_TRUE(entryWindows().empty());

    ASSERT_TRUE(pressOk(*box));
    EXPECT_TRUE(waitForExit()) << "iconlane.exe goes on after the missing batch file";
    EXPECT_EQ(tray().waitForIcons(0), Tips{});
}

class CommandLineEntry : public IconlaneTest {};

TEST_F(CommandLineEntry, GivesOneIconWithTheSecondFieldAsTooltip) {
    start("C:\\apps\\calc.exe,Calculator");

    EXPECT_EQ(tray().waitForIcons(1), Tips{"Calculator"});
    EXPECT_TRUE(showsNoMessageBox());
    closeEntryWindows();
    EXPECT_EQ(tray().waitForIcons(0), Tips{});
    EXPECT_TRUE(waitForExit());
}

// The program takes the raw command line: blanks around the tooltip are part of it.
TEST_F(CommandLineEntry, KeepsBlanksAroundTheTooltip) {
    start("C:\\apps\\calc.exe, Pocket calculator ");

    EXPECT_EQ(tray().waitForIcons(1), Tips{" Pocket calculator "});
    closeEntryWindows();
    EXPECT_TRUE(waitForExit());
}

// Without a comma the tooltip is a copy of the line taken before the target was expanded.
TEST_F(CommandLineEntry, WithoutCommaShowsTheUnexpandedLine) {
    start("%ICONLANE_E2E_APPS%\\editor.exe", {{"ICONLANE_E2E_APPS", "C:\\Lane Apps"}});

    EXPECT_EQ(tray().waitForIcons(1), Tips{"%ICONLANE_E2E_APPS%\\editor.exe"});
    closeEntryWindows();
    EXPECT_TRUE(waitForExit());
}

}  // namespace
}  // namespace e2e
