// What the user writes: the options file beside the program and the entry lines, and how a
// mistake in either is reported.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "fake_platform.h"
#include "platform/errors.h"
#include "startup/entryline.h"
#include "startup/options.h"

namespace iconlane {
namespace {

using fake::ErrorOf;
using fake::Message;
using Messages = std::vector<Message>;

constexpr const char* kIniPath = "C:\\Apps\\Iconlane.ini";

struct OptionsCase {
    std::string file;
    bool exit = false, help = false, rightMenu = false;
    std::int32_t click = 0;
};

TEST(OptionsTest, ItemsOfTheFileSetTheOptions) {
    const std::vector<OptionsCase> cases = {
        {.file = ""},
        {.file = "EXITDISABLED=TRUE", .exit = true},
        {.file = "exitdisabled=yes\nExitDisabled=False"},
        {.file = "HELPDISABLED=TRUE\nHELPDISABLED=FALSE \t"},
        {.file = "HELPDISABLED=", .help = true},
        {.file = "RightMouseMenuDisabled=0", .rightMenu = true},
        {.file = "CLICKMODE=single", .click = kSingleClickMessage},
        {.file = "CLICKMODE=", .click = kDoubleClickMessage},
        {.file = "CLICKMODE=SINGLE=X", .click = kDoubleClickMessage},
        {.file = "EXITDISABLED=FALSE=", .exit = true},
        {.file = "HELPDISABLED=FALSE,yes", .help = true},  // no "=": the latest key again
        {.file = "CLICKMODE,EXITDISABLED,TRUE"},           // no key before the first "="
        {.file = "EXITDISABLED=TRUE\nEXITDISABLED =FALSE", .exit = true},
        {.file = "EXITDISABLED= FALSE", .exit = true},
        {.file = "  ; EXITDISABLED=TRUE"},
        {.file = "HELPDISABLED=FALSE\n  ;x"},  // a comment is no value for the latest key
        {.file = ";note, HELPDISABLED=TRUE", .help = true},
        {.file = "\"EXITDISABLED=TRUE, or not\"", .exit = true},
        {.file = "OTHER=FALSE,HELPDISABLED=FALSE,x", .help = true}};
    for (const OptionsCase& c : cases) {
        fake::FakePlatform platform;
        platform.AddFile(kIniPath, c.file);
        Options options;
        ReadOptions(platform.services, options);
        EXPECT_EQ(options.ExitDisabled, c.exit) << c.file;
        EXPECT_EQ(options.HelpDisabled, c.help) << c.file;
        EXPECT_EQ(options.RightMenuDisabled, c.rightMenu) << c.file;
        EXPECT_EQ(options.ClickMessage, c.click) << c.file;
        EXPECT_TRUE(platform.messages.empty()) << c.file;
    }
}

TEST(OptionsTest, OnlyAVisibleFileNamedIconlaneIniIsRead) {
    const std::vector<std::tuple<std::string, bool, bool>> cases = {
        {"C:\\Apps\\Other.ini", false, false}, {kIniPath, true, false}, {kIniPath, false, true}};
    for (const auto& [path, hidden, folder] : cases) {
        fake::FakePlatform platform;
        platform.files[path] = {"EXITDISABLED=TRUE", folder, hidden};
        Options options;
        ReadOptions(platform.services, options);
        EXPECT_FALSE(options.ExitDisabled) << path << hidden;
        EXPECT_TRUE(platform.messages.empty()) << path << hidden;
    }
}

TEST(OptionsTest, AFailureIsReportedOnceAndEndsTheReading) {
    const std::string farEquals = std::string(32766, 'X') + "=1";  // "=" at position 32,767
    const std::vector<std::tuple<std::string, int, std::string, bool>> cases = {
        {"HELPDISABLED=TRUE", kPathFileAccessError, "Error 75 (Path/File access error)", false},
        {"HELPDISABLED=TRUE", fake::kBadAlloc, "Error 7 (Out of memory)", false},
        {"HELPDISABLED=TRUE," + farEquals + ",EXITDISABLED=TRUE\n" + farEquals, 0,
         "Error 6 (Overflow)", true}};
    for (const auto& [file, readError, error, helpDisabled] : cases) {
        fake::FakePlatform platform;
        platform.AddFile(kIniPath, file);
        if (readError != 0) platform.readErrors[kIniPath] = readError;
        Options options;
        ReadOptions(platform.services, options);
        const Message expected{error + " occurred during Options File Read.",
                               MessageStyle::kCritical, "Iconlane!"};
        EXPECT_EQ(platform.messages, Messages{expected});
        EXPECT_EQ(options.HelpDisabled, helpDisabled);  // items before the failure stay applied
        EXPECT_FALSE(options.ExitDisabled);
    }
}

TEST(EntryLineTest, ExpandsTheFirstVariableOfTheTarget) {
    fake::FakePlatform platform;
    platform.variables = {{"HOME", "C:\\Users\\me"}, {"LOOP", "%HOME%"}, {"EMPTY", ""}};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"%HOME%\\x.txt", "C:\\Users\\me\\x.txt"},
        {"a%HOME%b%HOME%", "aC:\\Users\\meb%HOME%"},
        {"%LOOP%", "%HOME%"},  // the value is not scanned again
        {"%NOPE%\\x", "%NOPE%\\x"},
        {"%EMPTY%x", "%EMPTY%x"},
        {"%%x", "%%x"},
        {"%", "%"},
        {"abc%", "abc%"}};
    for (const auto& [target, expected] : cases) {
        EXPECT_EQ(ExpandFirstVariable(target, platform), expected) << target;
    }
    for (std::string lone : {"a%b", "%abc"}) {
        EXPECT_EQ(ErrorOf([&] { ExpandFirstVariable(lone, platform); }), kInvalidArgument) << lone;
    }
}

TEST(EntryLineTest, ParseLineSplitsAtTheFirstTwoCommasAndExpandsOnlyTheTarget) {
    fake::FakePlatform platform;
    platform.variables = {{"WINDIR", "C:\\Windows"}};
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"%WINDIR%\\notepad.exe", {"C:\\Windows\\notepad.exe", "%WINDIR%\\notepad.exe", ""}},
        {"%WINDIR%\\a.exe,%WINDIR%,x.ico", {"C:\\Windows\\a.exe", "%WINDIR%", "x.ico"}},
        {"a.exe,Tip,3,x,y", {"a.exe", "Tip", "3,x,y"}},
        {" \"C:\\a b.exe\" , tip ,", {" \"C:\\a b.exe\" ", " tip ", ""}},
        {"a,,c", {"a", "", "c"}},
        {"", {"", "", ""}}};
    for (const auto& [line, fields] : cases) {
        std::vector<std::string> received;
        ParseLine(line, platform, platform, [&](std::string& t, std::string& tip, std::string& i) {
            received = {t, tip, i};
        });
        EXPECT_EQ(received, fields) << line;
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST(EntryLineTest, ParseLineReportsAnyFailureAndReturns) {
    struct Case {
        std::string line;
        int addEntryError, expected;
        std::string quoted;
    };
    const std::vector<Case> cases = {
        {"bad%x,tip", 0, kInvalidArgument, "bad%x,tip"},
        // The comma at position 32,767; only the start of so long a line is quoted.
        {std::string(32766, 'a') + ",tip", 0, kOverflow, std::string(200, 'a') + "..."},
        {"a.exe,tip", kSubscriptOutOfRange, kSubscriptOutOfRange, "a.exe,tip"},
        {"a.exe,tip", fake::kBadAlloc, kOutOfMemory, "a.exe,tip"}};
    for (const Case& c : cases) {
        fake::FakePlatform platform;
        ParseLine(c.line, platform, platform, [&](std::string&, std::string&, std::string&) {
            if (c.addEntryError != 0) fake::Fail(c.addEntryError);
            ADD_FAILURE() << "a failed line reached AddEntry";
        });
        const Message expected{"Unexpected error #" + std::to_string(c.expected) +
                                   " occurred in ParseLine while parsing '" + c.quoted +
                                   "'\n\nPlease check line syntax",
                               MessageStyle::kExclamation, "Iconlane"};
        EXPECT_EQ(platform.messages, Messages{expected});
    }
}

TEST(EntryLineTest, OneCommaJustBeforePosition32767IsAnOrdinaryLine) {
    EntryFields fields = SplitEntryLine(std::string(32765, 'a') + ",tip");  // comma at 32,766
    EXPECT_EQ(fields.target, std::string(32765, 'a'));
    EXPECT_EQ(fields.tooltip, "tip");
}

}  // namespace
}  // namespace iconlane
