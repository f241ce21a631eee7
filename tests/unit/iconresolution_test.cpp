// Icon resolution: the target's own icon, its file type's icon, the stock icons, and the cache.
#include "tray/iconresolution.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fake_platform.h"
#include "platform/errors.h"

namespace iconlane {
namespace {

using fake::FakePlatform;
using Asked = std::vector<std::pair<std::string, std::int32_t>>;
using Values = std::map<std::string, std::string>;  // subkey -> text, NUL added
constexpr const char* kLibrary = FakePlatform::kSystemLibrary;

// The fake platform, also noting the handle of every icon extracted and of every icon saved.
struct Machine : FakePlatform {
    PicturePtr ExtractIconPicture(const std::string& file, std::int32_t number) override {
        PicturePtr picture = FakePlatform::ExtractIconPicture(file, number);
        if (picture) extractedHandles.push_back(picture->Handle());
        return picture;
    }
    void SaveIconFile(const Picture& picture, const std::string& path) override {
        savedHandles.push_back(picture.Handle());
        FakePlatform::SaveIconFile(picture, path);
    }
    std::vector<std::uintptr_t> extractedHandles, savedHandles;
};

// One entry window and a resolver over a fresh machine; nothing of it may outlive it.
struct Bench {
    explicit Bench(const Values& values = {}, const std::map<std::string, int>& icons = {}) {
        for (const auto& [subkey, text] : values) platform.SetRegistryText(subkey, text);
        for (const auto& [file, count] : icons) platform.iconCounts[file] = count;
    }
    ~Bench() {
        window.reset();
        EXPECT_EQ(platform.livePictures, 0);
    }
    int Resolve(const std::string& target, std::int32_t number = 0) {
        return fake::ErrorOf([&] { icons.ResolveEntryIcon(*window, 4, target, number); });
    }

    Machine platform;
    std::string dataFolder = "C:\\Users\\me\\Iconlane";
    IconResolver icons{platform.services, dataFolder};
    TrayIcons tray{platform};
    std::unique_ptr<EntryWindow> window =
        std::make_unique<EntryWindow>(platform.services, tray, 4, nullptr);
};

TEST(IconResolutionTest, TheExtensionIsTheTextFromTheLastDotInLowerCase) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http://example.com/page.php", ".htm"},
        {"HtTp://Example.COM", ".htm"},
        {"https://x.com/a.html", ".html"},
        {"a.b.TXT", ".txt"},
        {"C:\\my.dir\\file", ".dir\\file"},
        {"C:\\Windows", "c:\\windows"},
        {"xhttp://a.PHP", ".php"}};
    for (const auto& [target, extension] : cases) {
        EXPECT_EQ(TargetExtension(target), extension) << target;
    }
}

TEST(IconResolutionTest, RegistryTextIsEverythingBeforeTheFinalByte) {
    const std::string long259(259, 'v');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string("abc\0", 4), "abc"}, {long259 + '\0', long259}, {std::string("\0", 1), ""}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(RegistryText(bytes), text) << text;
    EXPECT_EQ(fake::ErrorOf([] { RegistryText(""); }), kInvalidArgument);
}

TEST(IconResolutionTest, IconValuesSplitIntoFileAndRoundedNumber) {
    struct Case {
        bool command;  // read as an open command, else as a DefaultIcon value
        std::string value;
        std::optional<IconSource> source;
        int error = 0;
    };
    const std::vector<Case> cases = {
        {false, "lib.dll,2.5", IconSource{"lib.dll", 2}},
        {false, "lib.dll,3.5", IconSource{"lib.dll", 4}},
        {false, "  C:\\a b.dll ,  7  ", IconSource{"C:\\a b.dll", 7}},
        {false, "C:\\a,b.dll,+0.5", IconSource{"C:\\a,b.dll", 0}},
        {false, "lib.dll,-2147483648", IconSource{"lib.dll", -2147483647 - 1}},
        {false, "C:\\only\\lib.dll", std::nullopt},
        {false, "lib.dll,", std::nullopt, kTypeMismatch},
        {false, "lib.dll,4x", std::nullopt, kTypeMismatch},
        {false, "x.dll,99999999999", std::nullopt, kOverflow},
        {false, "x.dll,2147483648", std::nullopt, kOverflow},
        {true, "C:\\x\\app.exe %1", IconSource{"C:\\x\\app.exe", 0}},
        {true, "\"C:\\x y\\a.exe\" %1", IconSource{"\"C:\\x", 0}},
        {true, "C:\\p.exe /a, 2", IconSource{"C:\\p.exe /a", 2}},
        {true, "rundll32.exe lib,EntryPoint %1", std::nullopt, kTypeMismatch}};
    for (const Case& c : cases) {
        std::optional<IconSource> source;
        int error = fake::ErrorOf([&] {
            source =
                c.command ? IconSourceFromOpenCommand(c.value) : IconSourceFromIconEntry(c.value);
        });
        EXPECT_EQ(error, c.error) << c.value;
        EXPECT_EQ(source, c.source) << c.value;
    }
}

// Every case: the target (holding no icons) is asked first, then what its file type names.
TEST(IconResolutionTest, TheFileTypeNamesTheIconElseTheLastResortIsTaken) {
    struct Case {
        std::string label, target;
        Values values;
        Asked after;                  // asked after (target, 0)
        std::string emptyValue = "";  // a subkey whose value reads as 0 bytes
    };
    const std::string icon = "txtfile\\DefaultIcon", open = "txtfile\\shell\\open\\command";
    const Values txt = {{".txt", "txtfile"}, {open, "ed.exe %1"}};
    auto with = [&](const std::string& subkey, const std::string& text) {
        Values values = txt;
        values[subkey] = text;
        return values;
    };
    const Asked lastResort = {{kLibrary, 0}};
    // Extension `extension` of type `name`, whose icon entry is `text`.
    auto type = [](std::string extension, std::string name, std::string text) {
        return Values{{extension, name}, {name + "\\DefaultIcon", text}};
    };
    const std::vector<Case> cases = {
        {"program", "C:\\App.EXE", type(".exe", "x", "l.dll,1"), {{kLibrary, 2}}},
        {"no key", "a.xyz", txt, lastResort},
        {"open command", "a.txt", txt, {{"ed.exe", 0}}},
        {"icon entry", "a.txt", with(icon, " C:\\l.dll , 3.5 "), {{"C:\\l.dll", 4}}},
        {"entry without comma", "a.txt", with(icon, "l.dll"), {{"ed.exe", 0}}},
        {"command with comma", "a.txt", with(open, "l.dll,1"), {{"l.dll", 1}}},
        {"blanks in type", "a.txt", type(".txt", " t ", "l.dll,5"), {{"l.dll", 5}}},
        {"web page", "HTTP://s/a.php", type(".htm", "t", "l.dll,6"), {{"l.dll", 6}}},
        {"secure web page", "https://s/a.html", type(".html", "t", "l.dll,7"), {{"l.dll", 7}}},
        {"no command", "a.txt", {{".txt", "txtfile"}}, lastResort},
        {"quoted", "a.txt", with(open, "\"C:\\x y\\a.exe\" %1"), {{"\"C:\\x", 0}, {kLibrary, 0}}},
        {"entry point", "a.txt", with(open, "rundll32.exe lib,EntryPoint %1"), lastResort},
        {"number too large", "a.txt", with(icon, "l.dll,99999999999"), lastResort},
        {"negative number", "a.txt", with(icon, "l.dll,-1"), {{"l.dll", -1}, {kLibrary, 0}}},
        {"no such icon", "a.txt", with(icon, "l.dll,10"), {{"l.dll", 10}, {kLibrary, 0}}},
        {"empty type", "a.txt", txt, lastResort, ".txt"},
        {"empty icon entry", "a.txt", txt, lastResort, icon},
        {"empty command", "a.txt", txt, lastResort, open}};
    for (const Case& c : cases) {
        Bench bench(c.values, {{"C:\\l.dll", 10}, {"l.dll", 10}, {"ed.exe", 1}});
        if (!c.emptyValue.empty()) bench.platform.registryValues[c.emptyValue] = "";
        ASSERT_EQ(bench.Resolve(c.target), 0) << c.label;
        Asked asked = {{c.target, 0}};
        asked.insert(asked.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(bench.platform.extractedIcons, asked) << c.label;
        EXPECT_EQ(bench.platform.savedIcons, std::vector{bench.icons.CacheFile(4)}) << c.label;
        EXPECT_NE(bench.window->Picture1Handle(), 0u) << c.label;
    }
}

// The search stops at the first icon found; saving that one may fail, and the caller reports it.
TEST(IconResolutionTest, TheTargetsOwnIconComesBeforeItsFileType) {
    const std::vector<std::pair<std::int32_t, Asked>> cases = {
        {0, {{"a.txt", 0}}},
        {2, {{"a.txt", 2}}},
        {3, {{"a.txt", 3}, {"ed.exe", 0}}},
        {-1, {{"a.txt", -1}, {"ed.exe", 0}}}};
    for (const auto& [number, asked] : cases) {
        for (int saveError : {0, int{kPathFileAccessError}}) {
            SCOPED_TRACE(std::to_string(number) + " save error " + std::to_string(saveError));
            Bench bench({{".txt", "txtfile"}, {"txtfile\\shell\\open\\command", "ed.exe %1"}},
                        {{"a.txt", 3}, {"ed.exe", 1}});
            bench.platform.saveIconError = saveError;
            EXPECT_EQ(bench.Resolve("a.txt", number), saveError);
            EXPECT_EQ(bench.platform.extractedIcons, asked);
            EXPECT_EQ(bench.platform.savedIcons.size(), saveError ? 0u : 1u);
        }
    }
}

TEST(IconResolutionTest, LoadIconFromFileChangesNothingWithoutAnIcon) {
    using Load = std::tuple<std::string, std::int32_t, bool>;  // file, number, installed
    const std::vector<Load> cases = {
        {"l.dll", 0, true}, {"l.dll", 5, false}, {"l.dll", -1, false}, {"gone.dll", 0, false}};
    for (const auto& [file, number, installed] : cases) {
        SCOPED_TRACE(file + "," + std::to_string(number));
        Bench bench({}, {{"l.dll", 5}});
        bench.window->SetPicture1(bench.platform.BuiltInIcon());
        EXPECT_EQ(bench.icons.LoadIconFromFile(*bench.window, 4, file, number), installed);
        EXPECT_EQ(bench.window->Picture1Handle() == FakePlatform::kBuiltInIconHandle, !installed);
        EXPECT_EQ(bench.platform.savedIcons.size(), installed ? 1u : 0u);
        EXPECT_EQ(bench.platform.livePictures, 2);
    }
}

TEST(IconResolutionTest, AnInstalledIconIsShownAsExtractedAndKeptInItsCacheFile) {
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"C:\\Data", 1, "C:\\Data\\1.ico"}, {"D:\\My Icons", 30, "D:\\My Icons\\30.ico"}};
    for (const auto& [folder, index, path] : cases) {
        SCOPED_TRACE(path);
        Bench bench({}, {{"C:\\a.exe", 1}});
        bench.dataFolder = folder;
        EXPECT_EQ(bench.icons.CacheFile(index), path);
        // Twice: the second icon replaces the first, which is released.
        for (int round = 1; round <= 2; ++round) {
            bench.icons.ResolveEntryIcon(*bench.window, index, "C:\\a.exe", 0);
            SCOPED_TRACE(round);
            const Machine& machine = bench.platform;
            EXPECT_EQ(machine.savedIcons, std::vector<std::string>(round, path));
            EXPECT_TRUE(machine.loadedPictures.empty());
            // The extracted icon is what was saved, and what is shown.
            EXPECT_EQ(machine.savedHandles, machine.extractedHandles);
            EXPECT_EQ(bench.window->Picture1Handle(), machine.extractedHandles.back());
            EXPECT_EQ(machine.livePictures, 2);
        }
    }
}

TEST(IconResolutionTest, WithoutAnyIconTheProgramsOwnIsShownUncached) {
    using Case =
        std::tuple<std::string, int, Asked, bool>;  // target, library icons, asked, built-in
    const std::vector<Case> cases = {
        {"C:\\a.exe", 0, {{"C:\\a.exe", 0}, {kLibrary, 2}, {kLibrary, 0}}, true},
        {"C:\\a.exe", 1, {{"C:\\a.exe", 0}, {kLibrary, 2}, {kLibrary, 0}}, false},
        {"C:\\a.txt", 0, {{"C:\\a.txt", 0}, {kLibrary, 0}}, true}};
    for (const auto& [target, libraryIcons, asked, builtIn] : cases) {
        for (int saveError : {0, int{kPathFileAccessError}}) {
            SCOPED_TRACE(target + " save error " + std::to_string(saveError));
            Bench bench({}, {{kLibrary, libraryIcons}});
            bench.platform.saveIconError = saveError;
            // A failing save is the caller's to report; the built-in icon saves nothing.
            EXPECT_EQ(bench.Resolve(target), builtIn ? 0 : saveError);
            EXPECT_EQ(bench.platform.extractedIcons, asked);
            EXPECT_EQ(bench.window->Picture1Handle() == FakePlatform::kBuiltInIconHandle, builtIn);
            EXPECT_EQ(bench.platform.savedIcons.size(), builtIn || saveError ? 0u : 1u);
        }
    }
}

}  // namespace
}  // namespace iconlane
