// Start-up as a whole: data folder, options, command line, batch file, and the message loop.
#include "startup/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "help/helpwindow.h"
#include "platform/errors.h"

namespace iconlane {
namespace {

using fake::FakePlatform;

constexpr const char* kBatch = "a.exe,A\r\n;comment,x\n\n ;x,B\rc.exe";

// Runs the start-up; true when it ended the process.
bool MainEnds(Iconlane& program) {
    try {
        program.Main();
    } catch (const fake::ProcessEnded&) {
        return true;
    }
    return false;
}

TEST(StartupTest, DataFolderIsUnderAppDataElseTemp) {
    struct Case {
        std::string appData, temp, existing, expected;
        bool created;
    };
    const std::vector<Case> cases = {{"C:\\AD", "C:\\T", "", "C:\\AD\\Iconlane", true},
                                     {"C:\\AD", "C:\\T", "folder", "C:\\AD\\Iconlane", false},
                                     {"C:\\AD", "C:\\T", "file", "C:\\AD\\Iconlane", false},
                                     {"", "C:\\T", "", "C:\\T", false},
                                     {"", "", "", "", false}};
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.variables = {{"APPDATA", c.appData}, {"TEMP", c.temp}};
        if (c.existing == "folder") platform.AddFolder("C:\\AD\\Iconlane");
        if (c.existing == "file") platform.AddFile("C:\\AD\\ICONLANE");
        EXPECT_EQ(ChooseDataFolder(platform, platform), c.expected);
        EXPECT_EQ(platform.createdFolders.size(), c.created ? 1u : 0u) << c.existing;
    }
}

TEST(StartupTest, CommandLineIsABatchFileOrOneEntryLine) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"/batch:list.txt", {"a.exe", "", " ;x", "c.exe"}},
        {"/BATCH:list.txt", {"a.exe", "", " ;x", "c.exe"}},
        {"/BATCH list.txt", {"/BATCH list.txt"}},
        {"\"C:\\a b.exe\" ,Edit", {"\"C:\\a b.exe\" "}}};
    for (const auto& [commandLine, targets] : cases) {
        FakePlatform platform;
        platform.AddFile("C:\\Apps\\Iconlane.ini", "EXITDISABLED=TRUE");
        platform.AddFile("list.txt", kBatch);
        platform.commandLine = commandLine;
        Iconlane program(platform.services);
        EXPECT_FALSE(MainEnds(program)) << commandLine;
        std::vector<std::string> created;
        for (int i = 1; i <= program.Entries().EntryCount(); ++i) {
            created.push_back(program.Entries().EntryTargets(i));
            EXPECT_FALSE(program.Entries().EntryWindows(i)->MenuItemEnabled(kMenuExit));
        }
        EXPECT_EQ(created, targets);
        EXPECT_EQ(platform.TrayCalls(TrayOperation::kAdd).size(), targets.size());
        EXPECT_TRUE(platform.messages.empty()) << commandLine;
    }
}

TEST(StartupTest, EmptyCommandLineReadsOptionsThenShowsHelpAndEnds) {
    FakePlatform platform;
    platform.AddFile("C:\\Apps\\Iconlane.ini");
    platform.readErrors["C:\\Apps\\Iconlane.ini"] = kPathFileAccessError;
    Iconlane program(platform.services);
    EXPECT_TRUE(MainEnds(program));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Error 75 (Path/File access error) occurred during Options File Read.");
    ASSERT_EQ(platform.helpShown.size(), 1u);
    EXPECT_EQ(platform.helpShown[0].plainText, kHelpMissingText);
    EXPECT_TRUE(platform.windows.empty());
}

TEST(StartupTest, FailuresOfTheStartUpAreReportedAndEndTheProcess) {
    struct Case {
        std::string commandLine;
        int createFolderError, readError;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"/BATCH:\"list.txt\"", 0, 0, "error  52 (Bad file name or number) in main"},
        {"/BATCH:list.txt ", 0, 0, "Couldn't find 'list.txt ' file as specified on command line"},
        {"/BATCH:" + std::string(201, 'n'), 0, 0,
         "Couldn't find '" + std::string(200, 'n') + "...' file as specified on command line"},
        {"/BATCH:list.txt", 0, fake::kBadAlloc, "error  7 (Out of memory) in main"},
        {"a.exe", kPermissionDenied, 0, "error  70 (Permission denied) in main"},
        {"/BATCH:list.txt", 0, kPathFileAccessError, "error  75 (Path/File access error) in main"}};
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.variables["APPDATA"] = "C:\\AD";
        platform.createFolderError = c.createFolderError;
        platform.AddFile("list.txt", "a.exe");
        if (c.readError != 0) platform.readErrors["list.txt"] = c.readError;
        platform.commandLine = c.commandLine;
        Iconlane program(platform.services);
        EXPECT_TRUE(MainEnds(program)) << c.text;
        const fake::Message expected{c.text, MessageStyle::kCritical, "Iconlane!"};
        EXPECT_EQ(platform.messages, std::vector<fake::Message>{expected});
        EXPECT_EQ(program.Entries().EntryCount(), 0) << c.text;
    }
}

TEST(StartupTest, MessageLoopRunsOnlyWhileATrayIconIsShown) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"a.exe", 1}, {"bad%x", 0}, {"a.exe,tip,1e10", 0}, {"/BATCH:empty.txt", 0}};
    for (const auto& [commandLine, loopRuns] : cases) {
        FakePlatform platform;
        platform.AddFile("empty.txt", "");
        platform.commandLine = commandLine;
        Iconlane(platform.services).Run();
        EXPECT_EQ(platform.loopRuns, loopRuns) << commandLine;
    }
}

TEST(StartupTest, ClosingTheTrayWindowDeletesEveryIconInEntryOrderAndEndsTheLoop) {
    FakePlatform platform;
    platform.commandLine = "/BATCH:three.txt";
    platform.AddFile("three.txt", "a.exe\nc.exe,C,1e10\nb.exe,B,x.ico\n");
    platform.AddFile("x.ico");
    platform.duringLoop = [&] { platform.CloseTrayWindow(); };
    std::vector<std::uint32_t> deleted;
    {
        Iconlane program(platform.services);
        program.Run();
        EXPECT_EQ(platform.quitCalls, 1);
        for (const auto& call : platform.TrayCalls(TrayOperation::kDelete)) {
            deleted.push_back(call.record.uID);
        }
    }
    EXPECT_EQ(deleted, (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(platform.TrayCalls(TrayOperation::kDelete).size(), 3u);
    EXPECT_EQ(platform.livePictures, 0);
}

}  // namespace
}  // namespace iconlane
