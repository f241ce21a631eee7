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
         HICON small = nullptr;  // notepad's own frame of the tray's size, 16 at 96 DPI
         ExtractIconExA("C:\\windows\\notepad.exe", 0, nullptr, &small, 1);
         const std::string own = colourBits(HICON(LoadImageA(
             0, d.path("$D\\Iconlane\\1.ico").c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE)));
         EXPECT_TRUE(!own.empty() && own == colourBits(small)) << "not notepad's icon";
         EXPECT_EQ(d.spy.details(NIM_ADD), std::vector<UINT>(3, 16)) << "not the tray's size";
         EXPECT_EQ(d.spy.details(NIM_SETVERSION), std::vector<UINT>(3, NOTIFYICON_VERSION));
     }},
    // LogPixels is read as each program starts: this one sees it, the task bar 96. Every picture,
    // the red cross and the cache file too, is the tray's size; an icon file's 32-pixel frame is
    // scaled down to 24 or 20 pixels (not its 16-pixel one scaled up, nor its largest), and at 96
    // its 16-pixel frame shows as it is.
    {"AtEachScaleTheTrayGetsEveryPictureAtItsSizeFromTheNearestLargerFrame",
     [](Driver& d) {
         d.write("two.ico",
                 iconFile({{16, kOwnColours[0]}, {32, kOwnColours[1]}, {48, kOwnColours[2]}}));
         d.writeLines("lane.txt",
                      {"C:\\windows\\notepad.exe,Pad", "$D\\marker.exe,Two,$D\\two.ico"});
         for (const DWORD dpi : {144, 120, 96}) {
             const std::size_t added = d.spy.details(NIM_ADD).size(),
                               changed = d.spy.details(NIM_MODIFY).size();
             RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, 4);
             d.start(kBatch);
             const std::string tips = waitForTips(2);
             RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
             EXPECT_EQ(tips, "Pad|Two");
             for (int frame : {0, 1, 2}) {
                 const Colours c = coloursIn(d.place(1), kOwnColours[frame]);
                 EXPECT_TRUE(frame == (dpi > 96 ? 1 : 0) ? c.own * 2 >= c.all : !c.own)
                     << dpi << frame;
             }
             d.choose(0, kExit);  // every icon blinks: the red cross, then its own picture
             pollUntil([&] { return d.spy.details(NIM_MODIFY).size() >= changed + 4; });
             std::vector<UINT> sizes = d.spy.details(NIM_ADD), blinks = d.spy.details(NIM_MODIFY);
             sizes.erase(sizes.begin(), sizes.begin() + added), blinks.resize(changed + 4);
             sizes.insert(sizes.end(), blinks.begin() + changed, blinks.end());
             EXPECT_EQ(sizes, std::vector<UINT>(6, dpi * 16 / 96)) << "not the tray's size";
             std::string cache(7, '\0');
             std::ifstream(d.path("$D\\Iconlane\\1.ico"), std::ios::binary).read(cache.data(), 7);
             EXPECT_EQ(UINT(cache[6]), dpi * 16 / 96) << "the cache file holds another size";
             Driver::press(d.waitFor("#32770", IDNO), IDNO);
             ASSERT_TRUE(d.close());
         }
     }},
    // The items after a bad one are not read: the click mode stays DOUBLE. The command line's
    // entry is a document, opened shown normally by its open verb, not its default one.
    {"OptionsFileWithABadItemKeepsDoubleClickWhichOpensTheCommandLinesDocumentByItsOpenVerb",
     [](Driver& d) {
         registerDocumentType(d, {"print", "open"});
         d.writeLines("Iconlane.ini",
                      {"clickmode=Double", std::string(32766, 'A') + "=x", "CLICKMODE=SINGLE"});
         d.write("report.iconlane-doc", "a report");
         d.start("$D\\report.iconlane-doc, Pocket report ");
         expectBox(d, "Iconlane!", "Error 6 (Overflow) occurred during Options File Read of 'C:\\",
                   "ini'.", true);  // the path is broken into lines
         ASSERT_EQ(waitForTips(1), " Pocket report ");
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a single click launched";
         d.click(0, 2);
         EXPECT_TRUE(d.launched({" open "}) && d.witnessed()[0].starts_with("1 "))
             << "a double click did not open it once, shown normally, by the open verb";
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
    // One after the other, the other lines' icons coming between; the huge one quoted short, in a
    // box that fits the screen.
    {"BadLinesAreReportedInTurnAndTheOtherLinesStay",
     [](Driver& d) {
         d.write("fake.ico", "this is text, not an icon");
         d.writeLines("lane.txt",
                      {kHuge, "marker.exe,One", "marker.exe,Two,fake.ico", "marker.exe,Three"});
         d.start(kBatch);
         expectBox(d, "Iconlane",
                   kError + "6 occurred in ParseLine while parsing '" + kHuge.substr(0, 40), kCheck,
                   false);
         EXPECT_EQ(waitForTips(1), "One");
         expectBox(
             d, "Iconlane",
             kError + "481 occurred in ParseLine while parsing 'marker.exe,Two,fake.ico" + kCheck,
             "", false);
         EXPECT_EQ(waitForTips(2), "One|Three");
     }},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Startup, Scenario, ::testing::ValuesIn(kRows), rowName);

}  // namespace e2e
