#include "startup/startup.h"

#include <cstdlib>

#include "help/helpwindow.h"
#include "platform/errors.h"
#include "platform/textrules.h"
#include "startup/entryline.h"
#include "tray/shortcutpicture.h"

namespace iconlane {
namespace {

constexpr const char* kApplicationTitle = "Iconlane!";
constexpr const char* kBatchPrefix = "/BATCH:";
constexpr const char* kFolderPrefix = "/FOLDER:";
// Quiet after a change before the entries follow it: an editor's save or a copy of several
// shortcuts is over by then.
constexpr unsigned kSettleMs = 300;

}  // namespace

std::string ChooseDataFolder(const Environment& environment, FileSystem& files) {
    std::string appData = environment.Variable("APPDATA");
    if (appData.empty()) return environment.Variable("TEMP");
    std::string folder = appData + "\\Iconlane";
    try {
        if (files.FindFirst(folder, SearchKind::kFilesAndFolders).empty())
            files.CreateFolder(folder);
    } catch (const RuntimeError&) {
        // Only the icons' copies go there: the first of them that cannot be written reports it.
    }
    return folder;
}

Iconlane::Iconlane(Services& services)
    : services_(services),
      icons_(services, dataFolder_),
      ids_(services.files, dataFolder_),
      entries_(services, options_, icons_),
      help_(services),
      events_(services, options_, entries_, help_),
      live_(services, entries_, ids_),
      promotion_(services.iconRecords, services.windows, options_, entries_.Tray()) {
    entries_.SetWindowHandler(&events_);
    entries_.Tray().SetBeforeAdd([this] { promotion_.BeforeAdd(); });
    entries_.Tray().SetWhenCounted([this] { promotion_.IconCounted(); });
    services_.windows.WatchTrayIconSize([this] { entries_.RemakePictures(); });
    services_.shortcuts.WhenItemPictureArrives([this](const std::string& path) {
        // An event of its own, from the message loop: a failure is reported here.
        try {
            entries_.ItemPictureArrived(path);
        } catch (const std::exception&) {
            services_.dialogs.ShowMessage(EventFailureText(CurrentNumberedError()),
                                          MessageStyle::kExclamation, "Iconlane");
        }
    });
}

void Iconlane::Run() {
    Main();
    if (entries_.LiveIconCount() > 0) services_.windows.RunMessageLoop();
}

void Iconlane::Main() {
    try {
        dataFolder_ = ChooseDataFolder(services_.environment, services_.files);
        ReadOptions(services_, options_);
        std::string commandLine = services_.process.CommandLine();
        if (commandLine.empty()) {
            help_.Open();
            EndProgram();
        }
        icons_.Cache().HoldBack();
        entries_.Tray().HoldVersions();
        RunCommandLine(commandLine);
        entries_.Tray().ReleaseVersions();
        ids_.Remember();
        WriteIconCopies();
    } catch (const std::exception&) {
        RuntimeError error = CurrentNumberedError();
        services_.dialogs.ShowMessage(
            "error " + SignedNumberText(error.Number()) + " (" + error.Description() + ") in main",
            MessageStyle::kCritical, kApplicationTitle);
        EndProgram();
    }
}

// Written once every icon is in the tray, so that the copies cost the start-up nothing.
void Iconlane::WriteIconCopies() {
    icons_.Cache().WriteHeldBack([this](int index) -> const Picture* {
        const EntryWindow* window = entries_.EntryWindows(index);
        return window ? window->Picture1() : nullptr;
    });
}

void Iconlane::RunCommandLine(const std::string& commandLine) {
    if (UpperCase(commandLine.substr(0, 7)) == kBatchPrefix) {
        RunBatchFile(commandLine.substr(7));
    } else if (UpperCase(commandLine.substr(0, 8)) == kFolderPrefix) {
        RunFolder(commandLine.substr(8));
    } else {
        ParseEntryLine(commandLine);
    }
}

// The watch starts before the first read, so that a change made while start-up still shows its
// messages is not missed.
void Iconlane::RunBatchFile(const std::string& name) {
    if (!BatchFileExists(name)) ReportMissing(name, "file");
    services_.windows.WatchFolder(FolderOfFile(name), kSettleMs, [this] { return live_.Reload(); });
    live_.StartBatch(name);
}

// A name the search refuses (most often one in quotes, /BATCH:"C:\My Files\lane.txt") names no
// file: the message quotes it as it was given, so the user sees what went wrong.
bool Iconlane::BatchFileExists(const std::string& name) {
    try {
        return !services_.files.FindFirst(name, SearchKind::kFilesOnly).empty();
    } catch (const RuntimeError& error) {
        if (error.Number() != kBadFileName) throw;
        return false;
    }
}

// "%APPDATA%\..." works even where nothing expanded the command line (a Startup shortcut).
void Iconlane::RunFolder(const std::string& name) {
    std::string folder = ExpandAllVariables(name, services_.environment);
    services_.windows.WatchFolder(folder, kSettleMs, [this] { return live_.Reload(); });
    if (!live_.StartFolder(folder)) ReportMissing(name, "folder");
}

void Iconlane::ReportMissing(const std::string& name, const std::string& kind) {
    services_.dialogs.ShowMessage(
        "Couldn't find '" + QuotedExcerpt(name) + "' " + kind + " as specified on command line",
        MessageStyle::kCritical, kApplicationTitle);
    EndProgram();
}

void Iconlane::ParseEntryLine(const std::string& line) {
    ParseLine(line, services_.environment, services_.dialogs,
              [this, &line](std::string& target, std::string& tooltip, std::string& iconField) {
                  std::string identity = LineIdentity(SplitEntryLine(line).target, 1);
                  entries_.AddEntry(ids_.IdFor(identity), target, tooltip, iconField);
              });
}

// Ends at once, without unloading the entry windows; their icons are taken out of the tray
// first so that none is left behind in it.
void Iconlane::EndProgram() {
    entries_.RemoveAllTrayIcons();
    services_.process.EndNow();
    std::abort();  // not reached: ending the process does not return
}

}  // namespace iconlane
