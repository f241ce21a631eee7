// Start-up: the data folder, the options file, the command line and batch file, entry lines, the
// help window, and how a mistake in each is reported.
#include "startup/startup.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "fake_platform.h"
#include "help/proportions.h"
#include "lane/entryline.h"
#include "startup/addto.h"

namespace iconlane {
namespace {

using namespace fake;
constexpr const char *kIni = "C:\\Apps\\Iconlane.ini", *kGuide = "C:\\Apps\\Iconlane.rtf",
                     *kOwnIni = "\\Iconlane\\Iconlane.ini";

TEST(StartupTest, DataFolderIsUnderAppDataElseTempElseTheShellsRoamingFolder) {
    // APPDATA, TEMP, the shell's roaming folder, what stands at the folder chosen already (d a
    // folder, f a file), the folder chosen
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string, char, std::string, Texts>>
        cases = {
        {"C:\\AD", "C:\\T", "C:\\R", '-', "C:\\AD\\Iconlane", {"mkdir C:\\AD\\Iconlane"}},
        {"C:\\AD", "", "", 'd', "C:\\AD\\Iconlane", {}},
        {"C:\\AD", "", "", 'f', "C:\\AD\\Iconlane", {}},
        {"", "C:\\T", "C:\\R", '-', "C:\\T", {}},
        {"", "", "C:\\R", '-', "C:\\R\\Iconlane", {"mkdir C:\\R\\Iconlane"}},
        {"", "", "C:\\R", 'd', "C:\\R\\Iconlane", {}},
        {"", "", "", '-', "", {}}};  // no data folder: never the root of the current drive
    // clang-format on
    for (const auto& [appData, temp, roaming, existing, folder, seen] : cases) {
        FakePlatform platform;
        platform.variables = {{"APPDATA", appData}, {"TEMP", temp}};
        platform.roamingFolder = roaming;
        if (existing != '-') platform.files[folder] = {"", existing == 'd'};
        EXPECT_EQ(ChooseDataFolder(platform, platform), folder);
        EXPECT_EQ(platform.seen, seen) << existing;
    }
}

TEST(OptionsTest, ItemsOfTheFileSetTheOptionsUntilAFailure) {
    const std::string farEquals = std::string(32766, 'X') + "=1";  // "=" at position 32,767
    const std::string read = " occurred during Options File Read of 'C:\\Apps\\Iconlane.ini'",
                      badKey = "Error 5 (Invalid procedure call or argument)" + read + ", in '",
                      form =
                          "'.\n\nA hot key is Ctrl, Alt or Win (and Shift if wanted) joined by "
                          "+ before a letter, a digit, F1 to F24 or Space, as in "
                          "HOTKEY=Ctrl+Alt+Q. Iconlane runs without one.";
    // The file, the options it sets (E exit, H help, R right menu switched off; S single click,
    // D double click, I icons shown; the hot key's name), the message, how reading the file fails
    // (d: the name is a folder's). The user's own file, in %APPDATA%\Iconlane (u; U a folder of
    // that name; f failing) or the shell's roaming folder (r), is read in place of the one beside
    // the program, which sets a double click.
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string, int>> cases = {
        {"", "", "", 0}, {"EXITDISABLED=TRUE", "E", "", 0},
        {"exitdisabled=yes\nExitDisabled=False", "", "", 0}, {"HELPDISABLED=", "H", "", 0},
        {"RightMouseMenuDisabled=0", "R", "", 0}, {"CLICKMODE=single", "S", "", 0},
        {"CLICKMODE=", "D", "", 0}, {"EXITDISABLED=FALSE=", "E", "", 0},
        {"showicons=yes", "I", "", 0}, {"SHOWICONS=TRUE,FALSE", "", "", 0},
        {"HELPDISABLED=FALSE,yes", "H", "", 0},  // no "=": the latest key again
        {"CLICKMODE,EXITDISABLED,TRUE", "", "", 0},
        {"EXITDISABLED=TRUE\nEXITDISABLED =FALSE", "E", "", 0},
        {"HELPDISABLED=FALSE\n  ;x,,\"  \"", "", "", 0},  // no comment or empty item is a value
        {"  ;note, HELPDISABLED=TRUE", "H", "", 0}, {"EXITDISABLED=TRUE", "", "", 'd'},
        {"HELPDISABLED=TRUE", "", "Error 75 (Path/File access error)" + read + ".", kPathFileAccessError},
        {"HELPDISABLED=TRUE", "", "Error 7 (Out of memory)" + read + ".", kBadAlloc},
        {"HELPDISABLED=TRUE," + farEquals + ",EXITDISABLED=TRUE", "H", "Error 6 (Overflow)" + read + ".", 0},
        {"hotkey=ctrl+alt+q", "Ctrl+Alt+Q", "", 0}, {"HOTKEY=Alt+1,HOTKEY= ", "", "", 0},
        // A chord that cannot be read is reported, and the items after it are read.
        {"HOTKEY=Win+F5,Shift+Q,CLICKMODE=SINGLE", "SWin+F5", badKey + "Shift+Q" + form, 0},
        {"HOTKEY=Ctrl+Q+W\nHELPDISABLED=yes", "H", badKey + "HOTKEY=Ctrl+Q+W" + form, 0},
        {"CLICKMODE=SINGLE", "S", "", 'u'}, {"CLICKMODE=SINGLE", "S", "", 'r'}, {"CLICKMODE=SINGLE", "D", "", 'U'},
        {"", "", "Error 70 (Permission denied) occurred during Options File Read of 'C:\\AD\\Iconlane\\Iconlane.ini'.", 'f'}};
    // clang-format on
    for (const auto& [file, set, error, failure] : cases) {
        FakePlatform platform;
        const bool own = failure == 'u' || failure == 'U' || failure == 'f' || failure == 'r';
        const std::string at =
            own ? (failure == 'r' ? "C:\\R" : "C:\\AD") + std::string(kOwnIni) : kIni;
        platform.variables["APPDATA"] = failure == 'r' ? "" : "C:\\AD";
        platform.roamingFolder = "C:\\R";
        if (own) platform.files[kIni] = {"CLICKMODE=DOUBLE"};
        platform.files[at] = {file, failure == 'd' || failure == 'U'};
        if (failure != 0 && failure != 'd' && (!own || failure == 'f'))
            platform.readErrors[at] = failure == 'f' ? kPermissionDenied : failure;
        Options o;
        ReadOptions(platform.services, o);
        std::string got = std::string(o.ExitDisabled ? "E" : "") + (o.HelpDisabled ? "H" : "") +
                          (o.RightMenuDisabled ? "R" : "") + (o.ClickMessage == 514 ? "S" : "") +
                          (o.ClickMessage == 515 ? "D" : "") + (o.ShowIcons ? "I" : "") +
                          (o.HotKey ? ChordName(*o.HotKey) : "");
        EXPECT_EQ(got, set) << file.substr(0, 50);
        const Texts seen = {"Iconlane!/16: " + error};
        EXPECT_EQ(platform.seen, error.empty() ? Texts{} : seen) << file.substr(0, 50);
    }
}

// Send To: a shortcut in the lane folder for each path sent, under a name nothing there has yet; a
// missing lane folder or path is named in one message, and then nothing is made.
TEST(AddToTest, EachPathGetsAShortcutUnderAFreeNameOrOneMessageNamesWhatIsMissing) {
    const std::string fatal = "Iconlane!/16: ", link = "link C:\\Lane\\";
    // clang-format off
    const std::vector<std::pair<std::string, Texts>> cases = {
        {"/ADDTO:\"%LANE%\" \"C:\\My Docs\\notes.txt\" C:\\a.b.txt ..\\Tools\\",
         {link + "notes (2).lnk > C:\\My Docs\\notes.txt", link + "a.b.lnk > C:\\a.b.txt",
          link + "Tools (2).lnk > C:\\Tools", "end"}},
        {"/addto:C:\\Lane C:\\a.b.txt C:\\My Docs\\notes.txt", {fatal + "Couldn't find 'C:\\My', 'Docs\\notes.txt'"
         " to add to the lane 'C:\\Lane': nothing was added.", "end"}},
        {"/ADDTO:C:\\Gone C:\\a.b.txt", {fatal + "Couldn't find the lane folder 'C:\\Gone': nothing was added to it.", "end"}},
        {"/ADDTO:C:\\Lane", {fatal + "Nothing to add to the lane 'C:\\Lane'.", "end"}},
        {"/ADDTO:C:\\Lane C:\\Locked C:\\a.b.txt", {fatal + "Couldn't add 'C:\\Locked' to the lane 'C:\\Lane' (error 70: Permission denied).", "end"}}};
    // clang-format on
    for (const auto& [commandLine, seen] : cases) {
        FakePlatform platform;
        for (const char* folder : {"C:\\Lane", "C:\\Tools", "C:\\My Docs", "C:\\Locked"})
            platform.files[folder] = {"", true};
        for (const char* file : {"C:\\My Docs\\notes.txt", "C:\\a.b.txt", "C:\\Lane\\notes.lnk"})
            platform.files[file] = {"x"};
        platform.readErrors = {{"C:\\Lane\\Locked.lnk", kPermissionDenied},
                               {"C:\\Lane\\Tools.lnk", kFileAlreadyExists}};  // a hidden one
        platform.variables["LANE"] = "C:\\Lane";
        platform.commandLine = commandLine;
        Iconlane program(platform.services);
        ErrorOf([&] { program.Main(); });
        EXPECT_EQ(platform.seen, seen) << commandLine;
    }
    EXPECT_EQ(ShortcutName("C:\\", true, 1) + ShortcutName("\\\\srv\\.profile", false, 2),
              "C.profile (2)");
}

TEST(StartupTest, CommandLineNamesABatchFileOrIsOneEntryLine) {
    const std::string n201(201, 'n'),
        fatal = "Iconlane!/16: ", notFound = "' file as specified on command line",
        help = "help Iconlane v1.0.0: " + std::string(kHelpMissingText);
    // The command line (ini, guide: empty, with that file failing to read; folder: a batch file,
    // with the data folder failing to be made and written), the targets of the entries made, what
    // the user sees
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, Texts>> cases = {
        {"/batch:list.txt", "a.exe|| ;x|c.exe", {"A1", "A2", "A3", "A4", "loop"}},
        {"/BATCH list.txt", "/BATCH list.txt", {"A5", "loop"}},
        {"/BATCH:bad.txt", "", {"Iconlane/48: Unexpected error #6 occurred in ParseLine while "
                                "parsing 'a.exe,A,1e10'\n\nPlease check line syntax"}},
        {"/BATCH:empty.txt", "", {}}, {"", "", {help, "end"}},
        {"ini", "", {fatal + "Error 75 (Path/File access error) occurred during Options File Read "
                             "of 'C:\\Apps\\Iconlane.ini'.", help, "end"}},
        {"guide", "", {fatal + "error  75 (Path/File access error) in main", "end"}},
        {"/BATCH:\"list.txt\"", "", {fatal + "Couldn't find '\"list.txt\"" + notFound, "end"}},
        {"/BATCH:list.txt ", "", {fatal + "Couldn't find 'list.txt " + notFound, "end"}},
        {"/BATCH:" + n201, "", {fatal + "Couldn't find '" + n201.substr(1) + "..." + notFound, "end"}},
        {"/BATCH:nomem.txt", "", {fatal + "error  7 (Out of memory) in main", "end"}},
        {"/FOLDER:C:\\none", "", {fatal + "Couldn't find 'C:\\none' folder as specified on command "
                                  "line", "end"}},
        {"folder", "a.exe|| ;x|c.exe", {"A1", "A2", "A3", "A4", "Iconlane/48: Error 53 (File not "
            "found) while saving a copy of an icon in the data folder 'C:\\AD\\Iconlane'.\n\nThe "
            "icons are shown, but their copies could not be saved.", "loop"}},
        // Another Iconlane shows the list (and would have shown the options' message)
        {"held /batch:LIST.txt", "", {"hand over batch c:\\work\\list.txt", "end"}},
        {"held a.exe,A", "", {"hand over line a.exe,A", "end"}},
        {"held /BATCH:none.txt", "", {fatal + "Couldn't find 'none.txt" + notFound, "end"}},
        {"hung a.exe,A", "", {"hand over line a.exe,A", "Iconlane/48: Iconlane already runs with "
            "'a.exe,A' but does not answer. End it in the Task Manager, then start Iconlane again.",
            "end"}}};
    // clang-format on
    for (const auto& [commandLine, targets, seen] : cases) {
        FakePlatform platform;
        platform.files = {{"list.txt", {"a.exe,A\r\n;comment,x\n\n ;x,B\rc.exe"}},
                          {"bad.txt", {"a.exe,A,1e10"}},
                          {"empty.txt", {}},
                          {"nomem.txt", {}},
                          {"C:\\AD\\Iconlane\\iconids.txt",
                           {"1\tline:a.exe\n2\tline:\n3\tline: ;x\n4\tline:c.exe\n"
                            "5\tline:/batch list.txt"}}};
        platform.variables["TEMP"] = "C:\\AD\\Iconlane";  // APPDATA's data folder too
        platform.readErrors = {{"nomem.txt", kBadAlloc}, {kIni, 75}, {kGuide, 75}};
        platform.commandLine = commandLine == "folder" ? "/batch:list.txt" : commandLine;
        platform.holderHangs = commandLine.starts_with("hung ");
        platform.listsHeldElsewhere = commandLine.starts_with("held ") || platform.holderHangs;
        if (platform.listsHeldElsewhere) {
            platform.commandLine = commandLine.substr(5);
            platform.files[kIni] = {};
        }
        if (commandLine == "ini" || commandLine == "guide") {
            platform.files[commandLine == "ini" ? kIni : kGuide] = {};
            platform.commandLine = "";
        }
        if (commandLine == "folder")
            platform.variables["APPDATA"] = "C:\\AD", platform.saveIconError = kFileNotFound;
        platform.createFolderError = kPermissionDenied;  // only "folder" has a folder to make
        Iconlane program(platform.services);
        ErrorOf([&] { program.Run(); });
        std::string made;
        for (int k = 1; k <= program.Entries().EntryCount(); ++k)
            made += (k > 1 ? "|" : "") + program.Entries().EntryTargets(k);
        EXPECT_EQ(made, targets) << commandLine.substr(0, 50);
        EXPECT_EQ(platform.seen, seen) << commandLine.substr(0, 50);
    }
}

// Rows of two command lines given in C:\Work, and whether the second start is of the first's list.
TEST(SameListTest, ABatchFileOrFolderIsItsFullPathWithoutLetterCaseAndALineIsItsText) {
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {"/BATCH:C:\\Work\\lane.txt", "/batch:c:\\WORK\\Lane.TXT", true},
        {"/BATCH:lane.txt", "/BATCH:C:\\Work\\lane.txt", true},
        {"/BATCH:..\\Work\\.\\lane.txt", "/BATCH:C:/Work//lane.txt", true},
        {"/BATCH:\\lane.txt", "/BATCH:C:\\..\\lane.txt", true},
        {"/BATCH:c:lane.txt", "/BATCH:C:\\Work\\lane.txt", true},
        {"/BATCH:D:lane.txt", "/BATCH:D:\\lane.txt", true},
        {"/BATCH:\\\\srv\\share\\..\\lane.txt", "/BATCH:\\\\SRV\\share\\lane.txt", true},
        {"/FOLDER:C:\\Lanes\\", "/folder:C:\\lanes", true},
        {"/FOLDER:C:\\\xC3\x89" "clair", "/FOLDER:C:\\\xC3\xA9" "CLAIR", true},
        {"/FOLDER:%LANES%\\.", "/FOLDER:C:\\Lanes", true},
        {"/FOLDER:C:\\", "/FOLDER:..", true},
        {"/BATCH:lane.txt", "/BATCH:other.txt", false},
        {"/FOLDER:C:\\Work\\lane.txt", "/BATCH:C:\\Work\\lane.txt", false},
        {"/BATCH:lane.txt", "lane.txt", false},
        {"C:\\a.exe,Tip", "C:\\a.exe,Tip", true}, {"C:\\a.exe,Tip", "c:\\a.exe,Tip", false},
        {"C:\\a.exe,Tip", "C:\\a.exe,Tip ", false}, {"", "", false}};
    // clang-format on
    FakePlatform platform;
    platform.variables["LANES"] = "C:\\Lanes";
    const auto key = [&](const std::string& commandLine) {
        return ListKey(ReadListCommand(commandLine, platform), "C:\\Work");
    };
    for (const auto& [first, second, same] : cases) {
        EXPECT_EQ(key(first).has_value() && key(first) == key(second), same)
            << first << " / " << second;
    }
}

TEST(EntryLineTest, SplitsAtTheFirstTwoCommasAndExpandsTheTargetsFirstVariable) {
    const std::string far(32765, 'a');  // a comma after it stands at position 32,766
    // The line, target|tooltip|icon field as the entry gets them, the error reported, the error
    // making the entry fails with
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, int, int>> cases = {
        {"%HOME%\\x.txt", "C:\\me\\x.txt|%HOME%\\x.txt|", 0, 0},
        {"a%HOME%b%HOME%,%HOME%,x.ico", "aC:\\meb%HOME%|%HOME%|x.ico", 0, 0},
        {"%LOOP%,t", "%HOME%|t|", 0, 0},  // the value is not scanned again
        {"%NOPE%\\x,t", "%NOPE%\\x|t|", 0, 0}, {"%EMPTY%x,t", "%EMPTY%x|t|", 0, 0},
        {"%%x,t", "%%x|t|", 0, 0}, {"abc%,t", "abc%|t|", 0, 0}, {"", "||", 0, 0},
        {"a.exe,Tip,3,x,y", "a.exe|Tip|3,x,y", 0, 0},
        {" \"C:\\a b.exe\" , tip ,", " \"C:\\a b.exe\" | tip |", 0, 0},
        {far + ",tip", far + "|tip|", 0, 0},
        {far + far, far + far + "|" + far + far + "|", 0, 0},  // no comma far away is no overflow
        {"a%b,t", "", kInvalidArgument, 0}, {"%abc", "", kInvalidArgument, 0},
        {far + "a,tip", "", kOverflow, 0},
        {"a.exe,tip", "", kSubscriptOutOfRange, kSubscriptOutOfRange},
        {"a.exe,tip", "", kOutOfMemory, kBadAlloc}};
    // clang-format on
    FakePlatform platform;
    platform.variables = {{"HOME", "C:\\me"}, {"LOOP", "%HOME%"}, {"EMPTY", ""}};
    for (const auto& [line, fields, error, addError] : cases) {
        platform.seen.clear();
        std::string got;
        ParseLine(line, platform, platform, [&](std::string& t, std::string& tip, std::string& i) {
            if (addError != 0) Fail(addError);
            got = t + "|" + tip + "|" + i;
        });
        EXPECT_EQ(got, fields) << line.substr(0, 50);
        const Texts seen = {"Iconlane/48: Unexpected error #" + std::to_string(error) +
                            " occurred in ParseLine while parsing '" +
                            (line.size() > 200 ? line.substr(0, 200) + "..." : line) +
                            "'\n\nPlease check line syntax"};
        EXPECT_EQ(platform.seen, error == 0 ? Texts{} : seen) << line.substr(0, 50);
    }
}

using Place = std::array<float, 4>;  // left, top, width, height

// A control in twips. fails: s it has no width or height (like a timer), m it cannot be moved, h
// it cannot be sized.
struct Box final : LayoutControl {
    explicit Box(Place p) : place(p) {}
    Place place;
    char fails = '.';
    float Left() const override { return place[0]; }
    float Top() const override { return place[1]; }
    float Width() const override { return fails == 's' ? Fail() : place[2]; }
    float Height() const override { return fails == 's' ? Fail() : place[3]; }
    void Move(float l, float t, float w) override {
        place = {fails == 'm' ? Fail() : l, t, w, place[3]};
    }
    void SetHeight(float h) override { place[3] = fails == 'h' ? Fail() : h; }
    static float Fail() { throw RuntimeError(kInvalidArgument); }
};
struct Form final : LayoutWindow {
    std::vector<Box> boxes{Box({75, 90, 6525, 4305}), Box({5205, 4515, 1410, 705})};  // text, Ok
    float width = 6705, height = 5310;
    int ControlCount() const override { return 2; }
    LayoutControl& ControlAt(int i) override { return boxes.at(static_cast<std::size_t>(i)); }
    float InnerWidth() const override { return width; }
    float InnerHeight() const override { return height; }
};

// Proportions are taken at the design size and every resize places the controls by them; a step
// that fails (no such property, no inner size) is skipped alone.
TEST(ProportionsTest, ControlsKeepTheirProportionsAndAFailingStepSkipsOnlyItself) {
    // The size resized to, the text box's and the Ok button's places then, and what fails: s the
    // text box's size when measured, z the window's size then, m moving the text box, h sizing
    // the Ok button
    // clang-format off
    const std::vector<std::tuple<float, float, Place, Place, char>> cases = {
        {8000, 6000, {89.485458f, 101.69492f, 7785.2349f, 4864.4067f},
                     {6210.291f, 5101.6948f, 1682.3267f, 796.61017f}, '.'},
        {13410, 10620, {150, 180, 13050, 8610}, {10410, 9030, 2820, 1410}, '.'},
        {0, 0, {}, {}, '.'}, {13410, 10620, {150, 180, 0, 0}, {10410, 9030, 2820, 1410}, 's'},
        {13410, 10620, {}, {}, 'z'},
        {13410, 10620, {75, 90, 6525, 8610}, {10410, 9030, 2820, 1410}, 'm'},
        {13410, 10620, {150, 180, 13050, 8610}, {10410, 9030, 2820, 705}, 'h'}};
    // clang-format on
    for (const auto& [width, height, text, ok, fails] : cases) {
        Form form;
        form.boxes[0].fails = fails == 's' ? 's' : '.';
        if (fails == 'z') form.width = form.height = 0;
        const ControlProportions proportions = CaptureThisFormProportions(form);
        form.boxes[0].fails = fails == 'm' ? 'm' : '.';
        form.boxes[1].fails = fails == 'h' ? 'h' : '.';
        form.width = width, form.height = height;
        ResizeThisFormsControls(form, proportions);
        for (std::size_t j = 0; j < 4; ++j) {
            EXPECT_FLOAT_EQ(form.boxes[0].place[j], text[j]) << width << fails << j;
            EXPECT_FLOAT_EQ(form.boxes[1].place[j], ok[j]) << width << fails << j;
        }
    }
}

// The guide is looked up afresh at every opening; only an ordinary file beside the program is one.
TEST(HelpWindowTest, TitleAndTheGuideOrTheMessageThatItIsMissing) {
    const std::string guide = "C:\\Apps\\Iconlane.rtf", missing = kHelpMissingText;
    // The version, the decimal separator, what stands at the guide's place (f a file, d a folder,
    // - nothing), what the window shows
    const std::vector<std::tuple<ProgramVersion, std::string, char, std::string>> cases = {
        {{1, 0, 0}, ".", '-', "Iconlane v1.0.0: " + missing},
        {{2, 15, 7}, ".", 'f', "Iconlane v2.15.7: " + guide + "{\\rtf1}"},
        {{1, 0, 0}, ",", '-', "Iconlane v1,0,0: " + missing},
        {{3, 1, 4}, ".", 'd', "Iconlane v3.1.4: " + missing}};
    FakePlatform platform;
    HelpWindow help(platform.services);
    for (const auto& [version, separator, found, shown] : cases) {
        platform.files.clear();
        if (found != '-') platform.files[guide] = {"{\\rtf1}", found == 'd'};
        platform.version = version;
        platform.decimalSeparator = separator;
        platform.seen.clear();
        help.Open();
        EXPECT_EQ(platform.seen, Texts{"help " + shown});
    }
}

}  // namespace
}  // namespace iconlane
