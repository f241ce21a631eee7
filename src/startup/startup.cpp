#include "startup/startup.h"

#include <cstdlib>

#include "help/helpwindow.h"
#include "platform/errors.h"
#include "platform/textreader.h"
#include "platform/textrules.h"
#include "startup/entryline.h"

namespace iconlane {
namespace {

constexpr const char* kApplicationTitle = "Iconlane!";
constexpr const char* kBatchPrefix = "/BATCH:";

}  // namespace

std::string ChooseDataFolder(const Environment& environment, FileSystem& files) {
    std::string appData = environment.Variable("APPDATA");
    if (appData.empty()) return environment.Variable("TEMP");
    std::string folder = appData + "\\Iconlane";
    if (files.FindFirst(folder, SearchKind::kFilesAndFolders).empty()) files.CreateFolder(folder);
    return folder;
}

Iconlane::Iconlane(Services& services)
    : services_(services),
      icons_(services, dataFolder_),
      entries_(services, options_, icons_),
      help_(services),
      events_(services, options_, entries_, help_) {
    entries_.SetWindowHandler(&events_);
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
        RunCommandLine(commandLine);
    } catch (const std::exception&) {
        RuntimeError error = CurrentNumberedError();
        services_.dialogs.ShowMessage(
            "error " + SignedNumberText(error.Number()) + " (" + error.Description() + ") in main",
            MessageStyle::kCritical, kApplicationTitle);
        EndProgram();
    }
}

void Iconlane::RunCommandLine(const std::string& commandLine) {
    if (UpperCase(commandLine.substr(0, 7)) == kBatchPrefix) {
        RunBatchFile(commandLine.substr(7));
    } else {
        ParseEntryLine(commandLine);
    }
}

void Iconlane::RunBatchFile(const std::string& name) {
    if (services_.files.FindFirst(name, SearchKind::kFilesOnly).empty()) {
        services_.dialogs.ShowMessage(
            "Couldn't find '" + QuotedExcerpt(name) + "' file as specified on command line",
            MessageStyle::kCritical, kApplicationTitle);
        EndProgram();
    }
    LineReader reader(services_.files.ReadFile(name));
    while (!reader.AtEnd()) {
        std::string line = reader.ReadLine();
        if (line.empty() || line[0] != ';') ParseEntryLine(line);
    }
}

void Iconlane::ParseEntryLine(const std::string& line) {
    ParseLine(line, services_.environment, services_.dialogs,
              [this](std::string& target, std::string& tooltip, std::string& iconField) {
                  entries_.AddEntry(target, tooltip, iconField);
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
