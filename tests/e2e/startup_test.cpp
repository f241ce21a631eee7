// Start-up as a user meets it: the command line, a batch file, the options file, the
// pictures at each scale and the messages that report what is wrong.
#include "scenarios.h"

namespace e2e {
namespace {

const std::string kHuge = std::string(100000, 'x') + ",tip";
const char* const kDesktop = "Control Panel\\Desktop";

const Row kRows[] = {
    // The third tip: 64 bytes of characters beyond 16 bits, each shown whole, and a 65th, cut.
    {"BatchFileGivesIconsWithTooltipsInLineOrder",
     [](Driver& d) {
         std::string smiles;
         for (int n = 0; n < 16; ++n) smiles += "\xF0\x9F\x98\x80";
         d.writeLines("lane.txt", {"\xEF\xBB\xBF; a comment after the byte-order mark",
                                   "%E2E_DIR%\\notepad.exe,,", "$D\\lane.txt,Grüße aus Zürich",
                                   "$D\\marker.exe," + smiles + "x,$D\\own3.ico"});
         d.start(kBatch, {{"E2E_DIR", "C:\\windows"}});
         EXPECT_EQ(waitForTips(3), "C:\\windows\\notepad.exe|Grüße aus Zürich|" + smiles);
         EXPECT_TRUE(d.showsNoDialog());
         EXPECT_TRUE(d.shows(2, true)) << "the icon file's picture is not shown";
         // The icons found for notepad and for a text file are written, and notepad's is its own.
         std::set<std::string> cached;
         for (const auto& file : std::filesystem::directory_iterator(d.path("$D\\Iconlane")))
             cached.insert(file.path().filename().string());
         EXPECT_EQ(cached, (std::set<std::string>{"1.ico", "2.ico", "iconids.txt"}));
         ICONINFO own{}, extracted{};
         GetIconInfo(HICON(LoadImageA(0, d.path("$D\\Iconlane\\1.ico").c_str(), IMAGE_ICON, 0, 0,
                                      LR_LOADFROMFILE)),
                     &own);
         HICON small = nullptr;  // notepad's own frame of the tray's size, 16 at 96 DPI
         ExtractIconExA("C:\\windows\\notepad.exe", 0, nullptr, &small, 1);
         GetIconInfo(small, &extracted);
         BYTE ownBits[4096] = {}, extractedBits[4096] = {};
         GetBitmapBits(own.hbmColor, sizeof ownBits, ownBits),
             GetBitmapBits(extracted.hbmColor, sizeof extractedBits, extractedBits);
         EXPECT_TRUE(own.hbmColor && !memcmp(ownBits, extractedBits, sizeof ownBits))
             << "not notepad's icon";
         EXPECT_EQ(d.spy.details(NIM_ADD), std::vector<UINT>(3, 16)) << "not the tray's size";
         EXPECT_EQ(d.spy.details(NIM_SETVERSION), std::vector<UINT>(3, NOTIFYICON_VERSION));
     }},
    // LogPixels is read as each program starts: this one sees 144 DPI, the task bar 96.
    {"At144DpiTheTrayGetsEveryPictureAndTheRedCrossAt24Pixels",
     [](Driver& d) {
         const DWORD dpi = 144;
         RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
         d.writeLines("lane.txt",
                      {"C:\\windows\\notepad.exe,Pad", "$D\\marker.exe,Own,$D\\own1.ico"});
         d.start(kBatch);
         const std::string tips = waitForTips(2);
         RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
         EXPECT_EQ(tips, "Pad|Own");
         d.choose(0, kExit);  // every icon blinks: the red cross, then its own picture
         pollUntil([&] { return d.spy.calls(NIM_MODIFY).size() >= 4; });
         std::vector<UINT> shown = d.spy.details(NIM_ADD), blinks = d.spy.details(NIM_MODIFY);
         blinks.resize(4), shown.insert(shown.end(), blinks.begin(), blinks.end());
         EXPECT_EQ(shown, std::vector<UINT>(6, 24));
         std::string cache(7, '\0');
         std::ifstream(d.path("$D\\Iconlane\\1.ico"), std::ios::binary).read(cache.data(), 7);
         EXPECT_EQ(cache[6], 24) << "the cache file holds another size than the tray's";
     }},
    // At 125 % an icon file's 32-pixel frame is scaled down to the tray's 20 pixels: not its
    // 16-pixel one scaled up, nor its largest; at 100 % its 16-pixel frame shows as it is.
    {"At120DpiAnIconFilesLargerFrameIsScaledDownAndAt96ItsOwnSizeShows",
     [](Driver& d) {
         d.write("two.ico",
                 iconFile({{16, kOwnColours[0]}, {32, kOwnColours[1]}, {48, kOwnColours[2]}}));
         d.writeLines("lane.txt", {"$D\\marker.exe,Two,$D\\two.ico"});
         for (const DWORD dpi : {120, 96}) {
             RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, 4);
             d.start(kBatch);
             const std::string tips = waitForTips(1);
             RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
             EXPECT_EQ(tips, "Two");
             EXPECT_EQ(d.spy.details(NIM_ADD).back(), dpi * 16 / 96) << "not the tray's size";
             const int frame = dpi == 120 ? 1 : 0;
             const Colours shown = coloursIn(d.place(0), kOwnColours[frame]);
             EXPECT_TRUE(shown.own * 2 >= shown.all) << dpi;
             for (int other : {0, 1, 2})
                 EXPECT_TRUE(other == frame || !coloursIn(d.place(0), kOwnColours[other]).own)
                     << dpi << " shows frame " << other;
             ASSERT_TRUE(d.close());
         }
     }},
    {"ALockedBatchFileEndsStartUpWithAMessage",
     [](Driver& d) {
         d.writeLines("lane.txt", {"$D\\marker.exe,Lane 1"});
         HANDLE locked =
             CreateFileA(d.path("$D\\lane.txt").c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
         d.start(kBatch);
         expectBox(d, "Iconlane!", "error  70 (", ") in main", true);
         EXPECT_TRUE(d.ended()) << "start-up goes on";
         CloseHandle(locked);
     }},
    // The items after a bad one are not read: the click mode stays DOUBLE.
    {"OptionsFileWithABadItemDoubleClickModeAndACommandLineEntry",
     [](Driver& d) {
         d.writeLines("Iconlane.ini",
                      {"clickmode=Double", std::string(32766, 'A') + "=x", "CLICKMODE=SINGLE"});
         d.start("$D\\marker.exe, Pocket marker ");
         expectBox(d, "Iconlane!", "Error 6 (Overflow) occurred during Options File Read of 'C:\\",
                   "ini'.", true);  // the path is broken into lines
         ASSERT_EQ(waitForTips(1), " Pocket marker ");
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a single click launched";
         d.click(0, 2);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "a double click did not launch once";
     }},
    {"SingleClickOpensADocumentWithItsOpenVerb",
     [](Driver& d) {
         registerDocumentType(d, {"print", "open"});
         d.writeLines("Iconlane.ini", {"CLICKMODE=SINGLE"});
         d.writeLines("lane.txt", {"$D\\report.iconlane-doc,Report"});
         d.write("report.iconlane-doc", "a report"), d.start(kBatch);
         ASSERT_EQ(waitForTips(1), "Report");
         d.click(0, 1);
         ASSERT_TRUE(d.witnessedSettlesAt(1));
         EXPECT_TRUE(d.witnessed()[0].starts_with("1 "))
             << d.witnessed()[0] << ": not shown normally";
         EXPECT_NE(d.witnessed()[0].find(" open "), std::string::npos) << d.witnessed()[0];
     }},
    {"EmptyCommandLineShowsTheGuideAndIgnoresAPlantedDll",
     [](Driver& d) {
         const std::map<std::string, std::string> nativeFirst{{"WINEDLLOVERRIDES", "msftedit=n,b"}};
         CopyFileA(Driver::built("ICONLANE_E2E_PLANTED").c_str(),
                   d.path("$D\\msftedit.dll").c_str(), 0);
         d.start("", nativeFirst);
         PostMessageA(GetDlgItem(expectGuide(d), IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
         EXPECT_TRUE(d.ended()) << "Esc does not close the guide and end the program";
         EXPECT_TRUE(d.witnessed().empty()) << "the planted DLL was loaded";
         // It would be: a copy of rundll32 beside it loads "msftedit.dll" from its own folder.
         CopyFileA("C:\\windows\\system32\\rundll32.exe", d.path("$D\\rundll32.exe").c_str(), 0);
         WaitForSingleObject(d.run("\"$D\\rundll32.exe\" msftedit.dll,Probe", nativeFirst).hProcess,
                             15000);
         EXPECT_EQ(d.witnessed(), std::vector<std::string>{"loaded"});
     }},
    {"ABadLineIsReportedAndTheOtherLinesStay",
     [](Driver& d) {
         d.write("fake.ico", "this is text, not an icon");
         d.writeLines("lane.txt",
                      {"marker.exe,One", "marker.exe,Two,fake.ico", "marker.exe,Three"});
         d.start(kBatch);
         expectBox(
             d, "Iconlane",
             kError + "481 occurred in ParseLine while parsing 'marker.exe,Two,fake.ico" + kCheck,
             "", false);
         EXPECT_EQ(waitForTips(2), "One|Three");
     }},
    {"AHugeLineIsQuotedShortInABoxThatFitsTheScreen",
     [](Driver& d) {
         d.writeLines("lane.txt", {kHuge});
         d.start(kBatch);
         expectBox(d, "Iconlane",
                   kError + "6 occurred in ParseLine while parsing '" + kHuge.substr(0, 40), kCheck,
                   false);
     }},
    {"AMissingFolderIsReportedAndEndsTheProgram",
     [](Driver& d) {
         d.start("/FOLDER:$D\\none");
         expectBox(d, "Iconlane!", "Couldn't find '$D\\none' folder", "on command line", true);
         EXPECT_TRUE(d.ended());
     }},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Startup, Scenario, ::testing::ValuesIn(kRows), rowName);

}  // namespace e2e
