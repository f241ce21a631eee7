// The program's state and its start-up: data folder, options, command line, entry lines.
#pragma once

#include <string>

#include "events/entryevents.h"
#include "events/lanemenu.h"
#include "help/helpwindow.h"
#include "lane/liveentries.h"
#include "platform/options.h"
#include "platform/services.h"
#include "startup/samelist.h"
#include "tray/entrytable.h"
#include "tray/iconids.h"
#include "tray/iconpromotion.h"
#include "tray/iconresolution.h"

namespace iconlane {

// The per-user folder for the icon cache and the map of icon ids: %APPDATA%\Iconlane, created
// when missing (a folder that cannot be made, as on a read-only profile, is no reason to stop);
// without APPDATA the TEMP value as it is; without either, Iconlane in the roaming folder the
// shell knows, made the same way; else empty: no data folder, and nothing is written.
std::string ChooseDataFolder(const Environment& environment, FileSystem& files);

class Iconlane {
public:
    explicit Iconlane(Services& services);

    // Runs the start-up, then serves the tray icons until the last entry window is unloaded.
    void Run();

    // The start-up alone. An empty command line shows the help and ends the process; a
    // "/BATCH:" command line names a file of entry lines, a "/FOLDER:" one a folder whose files
    // are the entries; anything else is one entry line. A batch file or folder is watched from
    // then on, and the entries follow its changes. A list that another Iconlane already shows is
    // handed over to it, and the process ends without a word. "/ADDTO:" adds shortcuts to a
    // folder lane (Send To) and ends.
    void Main();

    const Options& CurrentOptions() const { return options_; }
    const std::string& DataFolder() const { return dataFolder_; }
    EntryTable& Entries() { return entries_; }
    EntryEvents& Events() { return events_; }

private:
    void ClaimList(const ListCommand& command);
    void RunCommandLine(const ListCommand& command);
    void WriteIconCopies();
    void RunBatchFile(const std::string& name);
    bool BatchFileExists(const std::string& name);
    void RunFolder(const ListCommand& command);
    [[noreturn]] void ReportMissing(const std::string& name, const std::string& kind);
    void ParseEntryLine(const std::string& line);
    [[noreturn]] void EndProgram();

    Services& services_;
    Options options_;
    std::string dataFolder_;
    IconResolver icons_;
    IconIds ids_;
    EntryTable entries_;
    HelpWindow help_;
    EntryEvents events_;
    LiveEntries live_;
    IconPromotion promotion_;
    LaneMenu laneMenu_;
};

}  // namespace iconlane
