#include "lane/liveentries.h"

#include "lane/entryline.h"
#include "lane/folderentries.h"
#include "platform/errors.h"
#include "platform/textreader.h"

namespace iconlane {
namespace {

// Passes each message on unless the last load showed the same one: a bad line that stays in the
// file is reported once, not again at every save.
class ReportOnce final : public Dialogs {
public:
    ReportOnce(Dialogs& dialogs, const std::set<std::string>& shownBefore)
        : dialogs_(dialogs), shownBefore_(shownBefore) {}
    void ShowMessage(const std::string& text, MessageStyle style,
                     const std::string& title) override {
        if (!shownBefore_.contains(text)) dialogs_.ShowMessage(text, style, title);
        shown.insert(text);
    }
    std::set<std::string> shown;

private:
    Dialogs& dialogs_;
    const std::set<std::string>& shownBefore_;
};

// The icon file an icon field names as it is now; nothing for a field that names none (a name no
// file can have fails the entry itself, when it is made).
std::optional<FolderItem> IconFileDetails(std::string iconField, FileSystem& files) {
    try {
        std::string file = IconFileOf(iconField, files);
        if (!file.empty()) return files.Details(file);
    } catch (const RuntimeError&) {
    }
    return std::nullopt;
}

// Hands each entry of a batch file to `each`, inside the handler of its line.
void ForEachBatchEntry(const std::string& bytes, Services& services, Dialogs& dialogs,
                       const std::function<void(const WantedEntry&)>& each) {
    LineReader reader(TextOfFile(bytes, services.process));
    IdentityCounter identities;
    while (!reader.AtEnd()) {
        std::string line = reader.ReadLine();
        if (!line.empty() && line[0] == ';') continue;
        ParseLine(line, services.environment, dialogs,
                  [&](std::string& target, std::string& tooltip, std::string& iconField) {
                      std::string identity =
                          identities.Next(LineIdentity(SplitEntryLine(line).target));
                      each({{target, tooltip, iconField},
                            line,
                            services.files.Details(target),
                            identity,
                            IconFileDetails(iconField, services.files)});
                  });
    }
}

}  // namespace

std::string FolderOfFile(const std::string& name) {
    std::size_t separator = name.find_last_of("\\/");
    bool drive = name.size() > 1 && name[1] == ':';
    if (separator == std::string::npos) return drive ? name.substr(0, 2) + "." : ".";
    return name.substr(0, separator == 0 || (separator == 2 && drive) ? separator + 1 : separator);
}

void LiveEntries::StartBatch(const std::string& name) {
    kind_ = Kind::kBatch;
    name_ = name;
    ReportOnce dialogs(services_.dialogs, lastReported_);
    ForEachBatchEntry(services_.files.ReadFile(name), services_, dialogs,
                      [this](const WantedEntry& entry) { AddAndRecord(entry); });
    lastReported_ = std::move(dialogs.shown);
}

bool LiveEntries::StartFolder(const std::string& folder) {
    std::optional<std::vector<FolderItem>> items = services_.files.ListFolder(folder);
    if (!items) return false;
    kind_ = Kind::kFolder;
    name_ = folder;
    ReportOnce dialogs(services_.dialogs, lastReported_);
    for (const WantedEntry& entry :
         folderLimit_.FirstEntries(FolderEntries(folder, *items, services_))) {
        HandleLine(entry.line, dialogs, [&] { AddAndRecord(entry); });
    }
    lastReported_ = std::move(dialogs.shown);
    folderLimit_.Report(folder, services_.dialogs);
    return true;
}

// An event of its own: a failure is reported here, like one in any other event.
bool LiveEntries::Reload() {
    if (kind_ == Kind::kNone) return true;
    try {
        ReportOnce dialogs(services_.dialogs, lastReported_);
        std::optional<std::vector<WantedEntry>> wanted = Read(dialogs);
        if (!wanted) return false;
        Apply(*wanted, dialogs);
        ids_.Remember();
        lastReported_ = std::move(dialogs.shown);
        if (kind_ == Kind::kFolder) folderLimit_.Report(name_, services_.dialogs);
    } catch (const std::exception&) {
        services_.dialogs.ShowMessage(EventFailureText(CurrentNumberedError()),
                                      MessageStyle::kExclamation, "Iconlane");
    }
    return true;
}

std::optional<std::vector<WantedEntry>> LiveEntries::Read(Dialogs& dialogs) {
    if (kind_ == Kind::kFolder) {
        std::optional<std::vector<FolderItem>> items = services_.files.ListFolder(name_);
        if (!items) return std::nullopt;
        return folderLimit_.FirstEntries(FolderEntries(name_, *items, services_));
    }
    std::string text;
    try {
        // Between an editor's write and rename the file may be missing or still locked.
        if (!services_.files.Details(name_)) return std::nullopt;
        text = services_.files.ReadFile(name_);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    std::vector<WantedEntry> wanted;
    ForEachBatchEntry(text, services_, dialogs,
                      [&](const WantedEntry& entry) { wanted.push_back(entry); });
    return wanted;
}

void LiveEntries::Apply(const std::vector<WantedEntry>& wanted, Dialogs& dialogs) {
    std::size_t at = 0;  // the entry number (less one) the next step is about
    for (ReloadStep step : PlanReload(shown_, wanted)) {
        if (step == ReloadStep::kDelete) {
            entries_.RemoveLastEntry();
            shown_.pop_back();
        } else if (step == ReloadStep::kUpdate) {
            // Recorded first, failed until it is made.
            shown_[at] = wanted[at];
            shown_[at].failed = true;
            EntryFields fields = wanted[at].fields;
            HandleLine(wanted[at].line, dialogs, [&] {
                int index = static_cast<int>(at) + 1;
                entries_.UpdateEntry(index, fields.target, fields.tooltip, fields.iconField);
                MarkFolderEntry(index, wanted[at]);
                shown_[at].failed = false;
            });
        } else if (step == ReloadStep::kAdd) {
            HandleLine(wanted[at].line, dialogs, [&] { AddAndRecord(wanted[at]); });
        }
        if (step != ReloadStep::kDelete) ++at;
    }
}

// The entry is recorded under its number whenever adding it took one, even if it failed later.
void LiveEntries::AddAndRecord(const WantedEntry& entry) {
    int before = entries_.EntryCount();
    EntryFields fields = entry.fields;
    try {
        entries_.AddEntry(ids_.IdFor(entry.identity), fields.target, fields.tooltip,
                          fields.iconField);
    } catch (const std::exception&) {
        if (entries_.EntryCount() > before) {
            shown_.push_back(entry);
            shown_.back().failed = true;
        }
        throw;
    }
    shown_.push_back(entry);
    MarkFolderEntry(entries_.EntryCount(), entry);
}

// A sub-folder of the folder is shown as its menu; a batch line naming a folder opens it.
void LiveEntries::MarkFolderEntry(int index, const WantedEntry& entry) {
    bool folder = kind_ == Kind::kFolder && entry.targetFile && entry.targetFile->folder;
    if (EntryWindow* window = entries_.EntryWindows(index)) window->SetFolderEntry(folder);
}

}  // namespace iconlane
