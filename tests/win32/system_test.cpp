// The file, process and environment services on the real Windows API, with real files.
#include "platform/win32/system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/textreader.h"
#include "scratch_folder.h"

namespace iconlane::win32 {
namespace {

// The number of the RuntimeError a call fails with, or nothing when it succeeds.
template <typename Call>
std::optional<int> ErrorOf(Call call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return std::nullopt;
}

TEST(Win32FileSystemTest, FindFirstAnswersTheNameOfAVisibleMatch) {
    ScratchFolder folder;
    folder.Write("alpha.txt", "a");
    folder.Write("beta.lnk", "b");
    SetFileAttributesA(folder.Write("hidden.txt", "h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(folder.Write("system.txt", "s").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryA(folder.Path("sub").c_str(), nullptr);
    CreateDirectoryA(folder.Path("empty").c_str(), nullptr);

    constexpr auto kFiles = SearchKind::kFilesOnly;
    constexpr auto kAll = SearchKind::kFilesAndFolders;
    struct Case {
        const char* pattern;  // inside the scratch folder
        SearchKind kind;
        const char* expected;
    };
    const Case cases[] = {{"alpha.txt", kFiles, "alpha.txt"},
                          {"a*.t?t", kFiles, "alpha.txt"},
                          {"*.lnk", kAll, "beta.lnk"},
                          {"*.txt", kFiles, "alpha.txt"},
                          {"sub", kAll, "sub"},
                          {"s*", kFiles, ""},
                          {"s*", kAll, "sub"},
                          {"hidden.txt", kAll, ""},
                          {"system.txt", kAll, ""},
                          {"empty\\*", kAll, ""},
                          {"empty\\.*", kAll, ""},
                          {"nothing*", kAll, ""}};
    Win32FileSystem files;
    for (const Case& c : cases) {
        EXPECT_EQ(files.FindFirst(folder.Path(c.pattern), c.kind), c.expected)
            << c.pattern << (c.kind == kAll ? " (folders too)" : " (files only)");
    }
    EXPECT_EQ(files.FindFirst("", kAll), "");
}

TEST(Win32FileSystemTest, ReadFileAnswersTheExactBytes) {
    const std::string cases[] = {
        "one\r\ntwo\r\n",
        "lone\rcarriage\rreturns",
        "no terminator",
        std::string(100000, 'x') + "\r\n",
        std::string("zero\0byte\n", 10),
        "",
    };
    ScratchFolder folder;
    Win32FileSystem files;
    int number = 0;
    for (const std::string& contents : cases) {
        std::string path = folder.Write("file" + std::to_string(number++) + ".txt", contents);
        EXPECT_EQ(files.ReadFile(path), contents) << path;
    }
}

TEST(Win32FileSystemTest, FailedFileCallsRaiseNumberedErrors) {
    ScratchFolder folder;
    folder.Write("present.txt", "x");
    CreateDirectoryA(folder.Path("existing").c_str(), nullptr);
    Win32FileSystem files;
    struct Case {
        const char* what;
        std::string path;
        bool create;  // CreateFolder, else ReadFile
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"read missing file", folder.Path("missing.txt"), false, kFileNotFound},
        {"read in missing folder", folder.Path("nofolder\\a.txt"), false, kFileNotFound},
        {"read a folder", folder.Path("existing"), false, kPathFileAccessError},
        {"read a wildcard", folder.Path("*.txt"), false, kBadFileName},
        {"create new folder", folder.Path("made"), true, std::nullopt},
        {"create without parent", folder.Path("nofolder\\made"), true, kFileNotFound},
        {"create existing folder", folder.Path("existing"), true, kPathFileAccessError},
    };
    for (const Case& c : cases) {
        auto call = [&] { c.create ? files.CreateFolder(c.path) : (void)files.ReadFile(c.path); };
        EXPECT_EQ(ErrorOf(call), c.expected) << c.what;
    }
    DWORD made = GetFileAttributesA(folder.Path("made").c_str());
    EXPECT_TRUE(made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY));
}

template <typename Reader>
std::vector<std::string> ReadAll(Reader reader, std::string (Reader::*read)()) {
    std::vector<std::string> parts;
    while (!reader.AtEnd()) parts.push_back((reader.*read)());
    return parts;
}

TEST(Win32FileSystemTest, RealFileReadsAsLinesAndItems) {
    ScratchFolder folder;
    std::string contents =
        Win32FileSystem().ReadFile(folder.Write("lane.txt", "a, \"b,c\" x,d\r\nsecond\rthird\n"));
    EXPECT_EQ(ReadAll(LineReader(contents), &LineReader::ReadLine),
              (std::vector<std::string>{"a, \"b,c\" x,d", "second", "third"}));
    EXPECT_EQ(ReadAll(ItemReader(contents), &ItemReader::ReadItem),
              (std::vector<std::string>{"a", "b,c", "d", "second", "third"}));
}

TEST(Win32ProcessTest, ProgramFolderIsTheFolderOfTheRunningExe) {
    char module[MAX_PATH * 4];
    std::string path(module, GetModuleFileNameA(nullptr, module, sizeof module));
    ASSERT_NE(path.rfind('\\'), std::string::npos) << path;
    EXPECT_EQ(Win32Process().ProgramFolder(), path.substr(0, path.rfind('\\')));
}

TEST(Win32EnvironmentTest, VariableAnswersTheWholeValue) {
    struct Case {
        const char* name;
        std::optional<std::string> value;  // nothing: undefined
    };
    const Case cases[] = {
        {"ICONLANE_T_SHORT", "C:\\Some Folder"},   {"ICONLANE_T_UNDEFINED", std::nullopt},
        {"ICONLANE_T_255", std::string(255, 'a')}, {"ICONLANE_T_256", std::string(256, 'b')},
        {"ICONLANE_T_257", std::string(257, 'c')}, {"ICONLANE_T_LONG", std::string(5000, 'd')},
    };
    Win32Environment environment;
    for (const Case& c : cases) {
        SetEnvironmentVariableA(c.name, c.value ? c.value->c_str() : nullptr);
        EXPECT_EQ(environment.Variable(c.name), c.value.value_or("")) << c.name;
        SetEnvironmentVariableA(c.name, nullptr);
    }
}

}  // namespace
}  // namespace iconlane::win32
