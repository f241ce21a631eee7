// Bad input end to end: junk, huge and locked files never crash or hang the program; each gets
// its message (or none), and the good lines around them still get their icons.
#include <windows.h>

#include <string>
#include <vector>

#include "iconlane_fixture.h"

namespace e2e {
namespace {

class BadInput : public IconlaneTest {
protected:
    void startBatch(const std::string& contents) {
        scenario().writeFile("lane.txt", contents);
        start("/BATCH:" + scenario().pathOf("lane.txt"));
    }
    void endCleanly() {
        closeEntryWindows();
        EXPECT_EQ(tray().waitForIcons(0), Tips{});
        EXPECT_TRUE(waitForExit());
    }
};

// Bytes of every value but the line ends, the separators and the percent sign, in one line.
std::string junkLine() {
    std::string junk;
    for (int round = 0; round < 3; ++round) {
        for (int byte = 1; byte < 256; ++byte) {
            if (std::string("\r\n,%;").find(static_cast<char>(byte)) == std::string::npos) {
                junk += static_cast<char>(byte);
            }
        }
    }
    return junk;
}

TEST_F(BadInput, HugeAndJunkLinesBecomeEntriesLikeAnyOther) {
    startBatch("C:\\apps\\mail.exe,Mail\r\n" + std::string(100000, 'x') + "\r\n" + junkLine() +
               "\r\nC:\\apps\\web.exe,Web\r\n");

    // The 100,000-character line is its own tooltip, cut to what the tray holds.
    const Tips tips = tray().waitForIcons(4);
    ASSERT_EQ(tips.size(), 4u);
    EXPECT_EQ(tips[0], "Mail");
    EXPECT_EQ(tips[1].find_first_not_of('x'), std::string::npos) << tips[1];
    EXPECT_GE(tips[1].size(), 60u);
    EXPECT_EQ(tips[3], "Web");
    EXPECT_TRUE(showsNoMessageBox());
    endCleanly();
}

TEST_F(BadInput, ThousandsOfCommentLinesAroundAFewEntries) {
    std::string batch;
    for (int block = 0; block < 3; ++block) {
        for (int line = 0; line < 5000 / 3; ++line) batch += ";, % comment line with a comma\r\n";
        batch += "C:\\apps\\tool" + std::to_string(block) + ".exe,Tool " + std::to_string(block) +
                 "\r\n";
    }
    startBatch(batch);

    EXPECT_EQ(tray().waitForIcons(3), (Tips{"Tool 0", "Tool 1", "Tool 2"}));
    EXPECT_TRUE(showsNoMessageBox());
    endCleanly();
}

TEST_F(BadInput, AnOptionsFileOfJunkChangesNothingAndStopsNothing) {
    std::string junk;
    for (int byte = 0; byte < 256 * 8; ++byte) junk += static_cast<char>((byte * 37) % 256);
    scenario().writeFile("Iconlane.ini", junk);
    startBatch("C:\\apps\\mail.exe,Mail\r\nC:\\apps\\web.exe,Web\r\n");

    EXPECT_EQ(tray().waitForIcons(2), (Tips{"Mail", "Web"}));
    EXPECT_TRUE(showsNoMessageBox());
    endCleanly();
}

TEST_F(BadInput, AnIconFieldNamingNoIconIsReportedAndTheOtherLinesStay) {
    scenario().writeFile("fake.ico", "this is text, not an icon");
    const std::string bad = "C:\\apps\\web.exe,Web," + scenario().pathOf("fake.ico");
    startBatch("C:\\apps\\mail.exe,Mail\r\n" + bad + "\r\nC:\\apps\\calc.exe,Calc\r\n");

    const auto box = waitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message for the icon file that holds no icon";
    EXPECT_EQ(box->title, "Iconlane");
    EXPECT_EQ(box->text, "Unexpected error #481 occurred in ParseLine while parsing '" + bad +
                             "'\n\nPlease check line syntax");
    ASSERT_TRUE(pressOk(*box));
    EXPECT_EQ(tray().waitForIcons(2), (Tips{"Mail", "Calc"}));
    EXPECT_TRUE(showsNoMessageBox());
    endCleanly();
}

// A batch file another program holds open without sharing cannot be read: start-up says so.
TEST_F(BadInput, ABatchFileThatCannotBeReadEndsStartUpWithAMessage) {
    scenario().writeFile("lane.txt", "C:\\apps\\mail.exe,Mail\r\n");
    HANDLE locked = CreateFileA(scenario().pathOf("lane.txt").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    start("/BATCH:" + scenario().pathOf("lane.txt"));

    const auto box = waitForMessageBox();
    CloseHandle(locked);
    ASSERT_TRUE(box.has_value()) << "no message for the unreadable batch file";
    EXPECT_EQ(box->title, "Iconlane!");
    EXPECT_TRUE(box->text.starts_with("error  70 (")) << box->text;
    EXPECT_TRUE(box->text.ends_with(") in main")) << box->text;
    EXPECT_EQ(tray().tips(), Tips{});
    ASSERT_TRUE(pressOk(*box));
    EXPECT_TRUE(waitForExit());
}

}  // namespace
}  // namespace e2e
