// The real installer as a user meets it, silently: installed, looked at, used and uninstalled.
// Played by tests/package once it has built C:\iconlane-setup.exe (and ICONLANE_PRODUCT_CODE).
#include "scenarios.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

std::string known(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}
const std::string kOwn = known(CSIDL_LOCAL_APPDATA) + "\\Programs\\Iconlane",
                  kAll = known(CSIDL_PROGRAM_FILES) + "\\Iconlane",
                  kQuick = known(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch",
                  kOptions = known(CSIDL_APPDATA) + "\\Iconlane\\Iconlane.ini",
                  kStartup = known(CSIDL_STARTUP) + "\\Iconlane.lnk",
                  kSendTo = known(CSIDL_SENDTO) + "\\Iconlane lane.lnk",
                  kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                           std::string(std::getenv("ICONLANE_PRODUCT_CODE") ?: "");

// What a shortcut runs as a command line, "\"<target>\" <arguments>"; empty for none.
std::string linkOf(const std::string& path) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    char target[MAX_PATH] = {}, arguments[2048] = {};
    CoInitialize(nullptr);
    CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link);
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(file->Load(fs::path(path).wstring().c_str(), STGM_READ)))
        link->GetPath(target, MAX_PATH, 0, SLGP_RAWPATH), link->GetArguments(arguments, 2048);
    file->Release(), link->Release(), CoUninitialize();
    return *target ? "\"" + std::string(target) + "\" " + arguments : "";
}
std::string value(HKEY root, const char* name) {
    char text[1024] = {};
    DWORD size = sizeof text, type = 0;
    RegGetValueA(root, kEntry.c_str(), name, RRF_RT_ANY, &type, text, &size);
    return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(text)) : text;
}
// Every file and folder of drive C: outside the user's profile, with its size and time.
std::set<std::string> filesOutsideProfile() {
    std::set<std::string> files;
    std::error_code e;
    for (fs::recursive_directory_iterator at("C:\\", e), end; at != end; at.increment(e)) {
        if (at->path() == known(CSIDL_PROFILE)) at.disable_recursion_pending();
        files.insert(at->path().string() +
                     std::to_string(at->is_regular_file(e) ? at->file_size(e) : 0) +
                     std::to_string(at->last_write_time(e).time_since_epoch().count()));
    }
    return files;
}

// Installed with the switches: the program, its uninstall entry, the Startup shortcut with the
// arguments `lane`, Send To's into `laneFolder` (none where empty).
void install(const Driver& d, const std::string& switches, bool all, const std::string& lane,
             const std::string& laneFolder) {
    const HKEY root = all ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::string folder = all ? kAll : kOwn, exe = "\"" + folder + "\\iconlane.exe\"",
                      uninstaller = "\"" + folder + "\\Uninstall.exe\"" + (all ? " /ALLUSERS" : "");
    ASSERT_EQ(Driver::close(d.run("C:\\iconlane-setup.exe " + switches, {}), 60000), 0u);
    std::string values;
    for (const char* name :
         {"DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation",
          "UninstallString", "QuietUninstallString", "NoModify", "NoRepair"})
        values += value(root, name) + "|";
    EXPECT_EQ(values, "Iconlane|1.0.0|Iconlane|" + exe.substr(1, exe.size() - 2) + "|" + folder +
                          "|" + uninstaller + "|" + uninstaller + " /S|1|1|");
    EXPECT_GT(std::stoul("0" + value(root, "EstimatedSize")), 500u);
    EXPECT_EQ(value(all ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, "DisplayName"), "");
    EXPECT_EQ(linkOf(kStartup), lane.empty() ? "" : exe + " " + d.path(lane));
    EXPECT_EQ(linkOf(kSendTo),
              laneFolder.empty() ? "" : exe + d.path(" /ADDTO:\"" + laneFolder + "\""));
    EXPECT_TRUE(laneFolder.empty() || fs::is_directory(d.path(laneFolder))) << "no lane folder";
}

// Uninstalled, Iconlane running or not: all gone but the lane and, when kept, the options.
void uninstall(const Driver& d, const std::string& switches, bool all, bool settingsKept) {
    Driver::close(d.run("\"" + (all ? kAll : kOwn) + "\\Uninstall.exe\" " + switches, {}), 60000);
    const auto left = [] {
        std::error_code e;
        return std::distance(fs::directory_iterator(fs::path(kOptions).parent_path(), e), {});
    };
    EXPECT_TRUE(pollUntil([&] {  // each goes in turn: the uninstaller runs on from a copy
        return !fs::exists(all ? kAll : kOwn) && !fs::exists(kStartup) && !fs::exists(kSendTo) &&
               !fs::exists(known(all ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + "\\Iconlane") &&
               value(all ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, "DisplayName").empty() &&
               left() == settingsKept && fs::exists(kOptions) == settingsKept;
    })) << "left behind";
}

const Row kRows[] = {
    // Nothing written outside the user's profile and HKCU (Wine has no UAC to refuse it). Log-on
    // starts the Startup shortcut; Send To appends each path in quotes.
    {"TheUsersOwnStartsAtLogOnTakesWhatIsSentToItAndItsOptionsAndEndsWhenUninstalled",
     [](Driver& d) {
         HKEY machine = nullptr;
         HANDLE changed = CreateEventA(0, 0, 0, 0);
         RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_NOTIFY, &machine);
         RegNotifyChangeKeyValue(machine, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                 changed, TRUE);
         const std::set<std::string> outside = filesOutsideProfile();
         install(d, "/S", false, "/FOLDER:" + kQuick, kQuick);
         EXPECT_EQ(filesOutsideProfile(), outside) << "written outside the user's profile";
         EXPECT_EQ(WaitForSingleObject(changed, 0), DWORD(WAIT_TIMEOUT)) << "written to HKLM";
         std::ofstream(kOptions, std::ios::app) << "HOTKEY=Ctrl+Alt+Q\r\n";
         std::ofstream(kQuick + "\\Notes.txt") << "x";
         ShellExecuteA(0, "open", kStartup.c_str(), 0, 0, SW_SHOWNORMAL);
         EXPECT_EQ(waitForTips(1), "Notes");
         DWORD id = 0;
         GetWindowThreadProcessId(FindWindowA("IconlaneTray", 0), &id);
         const HANDLE iconlane = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, 0, id);
         d.write("My plans.txt", "x"), d.write("list.txt", "x");
         Driver::close(d.run(linkOf(kSendTo) + " \"$D\\My plans.txt\" \"$D\\list.txt\"", {}),
                       15000);
         EXPECT_EQ(waitForTips(3), "list|My plans|Notes");
         d.chord({VK_CONTROL, VK_MENU, 'Q'});
         EXPECT_TRUE(pollUntil([&] { return IsWindowVisible(FindWindowA("#32768", 0)); }))
             << "the hot key of the user's options opens no menu";
         uninstall(d, "/S", false, true);
         EXPECT_EQ(WaitForSingleObject(iconlane, 0), WAIT_OBJECT_0) << "Iconlane runs on";
         TerminateProcess(iconlane, 1);
         EXPECT_TRUE(fs::exists(kQuick + "\\My plans.lnk")) << "the lane is gone";
         fs::remove_all(kQuick);
     }},
    // The options of the user's own are kept by the installers as by the uninstallers.
    {"AFolderLaneIsMadeABatchFileHasNoSendToAndNoLaneNoStartupShortcut",
     [](Driver& d) {
         std::ofstream(kOptions) << "; mine";
         d.write("lane.txt", "C:\\windows\\notepad.exe");
         const std::pair<std::string, std::string> lanes[] = {
             {"/FOLDER:$D\\My Lane", "$D\\My Lane"}, {"/BATCH:$D\\lane.txt", ""}, {"", ""}};
         for (const auto& [lane, folder] : lanes) {
             install(d, "/S /LANE=" + lane.substr(lane.find(':') + 1), false, lane, folder);
             uninstall(d, "/S", false, true);
         }
         std::string mine;
         EXPECT_EQ(std::getline(std::ifstream(kOptions), mine) ? mine : "", "; mine");
     }},
    {"EveryonesGoesToProgramFilesWithItsEntryInHklm",
     [](Driver& d) {
         install(d, "/S /ALLUSERS", true, "/FOLDER:" + kQuick, kQuick);
         EXPECT_TRUE(fs::exists(known(CSIDL_COMMON_PROGRAMS) + "\\Iconlane\\Iconlane guide.lnk"));
         uninstall(d, "/S /REMOVESETTINGS", true, false);
         fs::remove_all(kQuick);
     }},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Install, Scenario, ::testing::ValuesIn(kRows), rowName);

}  // namespace e2e
