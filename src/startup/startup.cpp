#include "startup/startup.h"

#include <cstdlib>

#include "help/helpwindow.h"
#include "lane/entryline.h"
#include "platform/errors.h"
#include "platform/textrules.h"
#include "startup/addto.h"

namespace iconlane {
namespace {

constexpr const char* kApplicationTitle = "Iconlane!";
// Quiet after a change before the entries follow it: an editor's save or a copy of several
// shortcuts is over by then.
constexpr unsigned kSettleMs = 300;

std::string OwnFolderIn(const std::string& parent, FileSystem& files) {
    std::string folder = parent + "\\Iconlane";
    try {
        if (files.FindFirst(folder, SearchKind::kFilesAndFolders).empty())
            files.CreateFolder(folder);
    } catch (const RuntimeError&) {
        // Only the icons' copies go there: the first of them that cannot be written reports it.
    }
    return folder;
}

}  // namespace

// Without APPDATA and TEMP (a program started with an empty environment) an empty folder would
// put the files in the root of the current drive: the shell's own record of the folder comes
// next, and without it nothing is written at all.
std::string ChooseDataFolder(const Environment& environment, FileSystem& files) {
    if (std::string appData = environment.Variable("APPDATA"); !appData.empty())
        return OwnFolderIn(appData, files);
    if (std::string temp = environment.Variable("TEMP"); !temp.empty()) return temp;
    if (std::string roaming = environment.RoamingFolder(); !roaming.empty())
        return OwnFolderIn(roaming, files);
    return {};
}

Iconlane::Iconlane(Services& services)
    : services_(services),
      icons_(services, dataFolder_),
      ids_(services, dataFolder_),
      entries_(services, options_, icons_),
      help_(services),
      events_(services, options_, entries_, help_),
      live_(services, entries_, ids_),
      promotion_(services.iconRecords, services.windows, options_, entries_.Tray()),
      laneMenu_(services, options_, entries_, events_) {
    entries_.SetWindowHandler(&events_);
    entries_.Tray().SetBeforeAdd([this] { promotion_.BeforeAdd(); });
    entries_.Tray().SetWhenCounted([this] { promotion_.IconCounted(); });
    services_.windows.WatchTrayIconSize([this] { entries_.RemakePictures(); });
    // As Yes to the exit question ends it, without the question: an uninstaller asks.
    services_.lists.WhenAskedToEnd([this] { events_.ExitAll(); });
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
        std::string commandLine = services_.process.CommandLine();
        if (std::optional<AddToCommand> addTo = ReadAddToCommand(commandLine)) {
            AddToLane(services_, *addTo);
            EndProgram();
        }
        dataFolder_ = ChooseDataFolder(services_.environment, services_.files);
        ListCommand command = ReadListCommand(commandLine, services_.environment);
        if (!commandLine.empty()) ClaimList(command);
        ReadOptions(services_, options_);
        if (commandLine.empty()) {
            help_.Open();
            EndProgram();
        }
        icons_.Cache().HoldBack();
        entries_.Tray().HoldVersions();
        RunCommandLine(command);
        entries_.Tray().ReleaseVersions();
        ids_.Remember();
        WriteIconCopies();
        // A program that ends here (no icon) takes no chord from the others.
        if (entries_.LiveIconCount() > 0) laneMenu_.HoldHotKey();
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

// Before anything else is shown, so that a start handing over stays silent (the options' messages
// were the first one's to show) unless the one that holds the list hangs. A missing list is still
// reported, whoever runs: the message tells what went wrong with this start, and a list that cannot
// be read claims nothing.
void Iconlane::ClaimList(const ListCommand& command) {
    if (command.kind == ListKind::kBatch && !BatchFileExists(command.path)) {
        ReportMissing(command.written, "file");
    }
    if (command.kind == ListKind::kFolder) {
        std::optional<FolderItem> folder = services_.files.Details(command.path);
        if (!folder || !folder->folder) ReportMissing(command.written, "folder");
    }
    std::optional<std::string> key = ListKey(command, services_.process.CurrentFolder());
    if (!key || services_.lists.Claim(*key, [this] { live_.Reload(); })) return;
    if (!services_.lists.HandOver(*key)) {
        services_.dialogs.ShowMessage("Iconlane already runs with '" +
                                          QuotedExcerpt(command.written) +
                                          "' but does not answer. End it in the Task Manager, "
                                          "then start Iconlane again.",
                                      MessageStyle::kExclamation, "Iconlane");
    }
    EndProgram();
}

void Iconlane::RunCommandLine(const ListCommand& command) {
    if (command.kind == ListKind::kBatch) {
        RunBatchFile(command.path);
    } else if (command.kind == ListKind::kFolder) {
        RunFolder(command);
    } else {
        ParseEntryLine(command.written);
    }
}

// The watch starts before the first read, so that a change made while start-up still shows its
// messages is not missed.
void Iconlane::RunBatchFile(const std::string& name) {
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

// A folder that cannot be listed after all is reported as missing too.
void Iconlane::RunFolder(const ListCommand& command) {
    services_.windows.WatchFolder(command.path, kSettleMs, [this] { return live_.Reload(); });
    if (!live_.StartFolder(command.path)) ReportMissing(command.written, "folder");
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
                  std::string identity = LineIdentity(SplitEntryLine(line).target);
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
