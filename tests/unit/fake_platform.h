// The platform in memory: every service the program calls, recording what a user would have seen,
// and failing where a test asks it to.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fake_parts.h"
#include "platform/errors.h"
#include "platform/services.h"

namespace iconlane::fake {

// clang-format off
class FakePlatform : public Dialogs, public Environment, public Process, public FileSystem,
    public Pictures, public TrayShell, public WindowSystem, public Shell, public ExitDialog,
    public Registry, public HelpWindowHost, public HelpSurface, public Shortcuts,
    public TrayIconRecords, public RunningLists, public SessionLocks, public NameSources {
    // clang-format on
public:
    static constexpr std::uintptr_t kUpImage = 0x7000, kBuiltInIcon = 0x7100, kTrayWindow = 0x6000;
    static constexpr const char* kLibrary = "C:\\Windows\\system32\\SHELL32.DLL";

    // The machine as the test sets it up.
    std::map<std::string, std::string> variables;
    std::string roamingFolder;  // the shell's, without APPDATA
    std::string programFolder = "C:\\Apps", commandLine, currentFolder = "C:\\Work";
    std::map<std::string, FileEntry> files;  // full path -> entry
    std::map<std::string, int> readErrors;   // path -> error reading it fails with
    // refusedAdds: adds the shell refuses; addsTakenLate: adds it answers false to but takes.
    int createFolderError = 0, saveIconError = 0, refusedAdds = 0, addsTakenLate = 0;
    std::map<std::string, int> iconCounts{{kLibrary, 300}};  // file -> icons it holds
    std::map<std::string, std::string> registry;  // subkey -> bytes of its value, NUL included
    ProgramVersion version{1, 0, 0};
    std::string decimalSeparator = ".";
    // The user at a menu; without one every menu closes unchosen. The keys held at a click.
    std::function<MenuChoice(const MenuRequest&)> menuChoice;
    HeldKeys heldKeys;
    std::map<std::string, IconLocation> shellIcons;  // path -> where the shell's picture is
    std::int64_t today = 19000;                      // days since 1970
    bool lockBusy = false;  // another process holds every session lock for longer
    int locksHeld = 0;
    Texts writes;  // the files written, in order, " (locked)" while a session lock was held
    std::function<void(const ExitAnswered&)> exitAnswer;  // the user at the question; else No
    std::map<std::string, ShortcutDetails> links;         // .lnk path -> what it holds
    std::set<std::string> lateItems;  // shortcuts whose item picture the shell gives late
    std::function<void(const std::string&)> itemPictureArrived;
    std::function<void()> duringLoop;  // what happens while the loop runs

    std::uint64_t now = 0;  // the clock, in milliseconds; a double click lasts 500
    std::function<void()> iconSizeChanged, duringOpen;  // duringOpen: once, while opening

    // What the program did, in order: `seen` holds messages ("Iconlane!/16: text"), folders made,
    // the help window, tray calls (operation and id: "A1", "M1^" for the Up image, "D1", "F1" the
    // focus handed back; each version asked for goes to `versions`, "1:3"), timers
    // ("blink1 800", "retry1 off"), pop-up menus ("menu1", "@icon" beside it, "*" its first item
    // selected, " busy" when it could not open; each request goes to `menus`), targets opened
    // ("open x", "runas x"), exit questions, message loops run and left, and the end; `icons` the
    // icons taken from files ("icon file,number"), loaded and saved.
    Texts seen, icons, versions;
    std::vector<MenuRequest> menus;
    std::vector<TrayCall> trayCalls;
    std::vector<std::uint32_t> inTray;  // the ids of the icons the shell has, in the order shown
    std::vector<Slot*> slots;
    std::uintptr_t lastIcon = 0x1000;  // the newest icon extracted or loaded
    bool questionOpen = false;
    std::string watched;            // the folder watched for changes
    std::function<bool()> settled;  // what the loop runs once a change there has settled
    // The task bar's records of icons (none: a system that keeps none), the known folders, the
    // records promoted, what runs while the records are watched and how many listings fail.
    std::optional<std::map<std::string, TrayIconRecord>> iconRecords;
    std::map<std::string, std::string> knownFolders;
    Texts promoted;
    std::function<void()> recordsChanged;
    // Another Iconlane shows every list (and does not answer); else the key this one claimed, and
    // what a hand-over runs.
    bool listsHeldElsewhere = false, holderHangs = false;
    std::string claimed;
    std::function<void()> handedOver, askedToEnd;
    int unreadableListings = 0;
    // The answer to the hot key asked for, and what its pressing runs.
    HotKeyHold hotKeyHold = HotKeyHold::kHeld;
    std::function<void()> hotKeyPressed;
    // desktop.ini sections ("<path>|<section>" -> "key=value" lines); strings that load by
    // "<library as written>,<id>", or by the indirect string the shell resolves.
    std::map<std::string, Texts> iniSections;
    std::map<std::string, std::string> strings;

    Services services{*this, *this, *this, *this, *this, *this, *this, *this,
                      *this, *this, *this, *this, *this, *this, *this, *this};

    const FileEntry* Lookup(const std::string& path) const {
        auto found = std::ranges::find_if(files, [&](auto& f) { return Matches(path, f.first); });
        return found == files.end() ? nullptr : &found->second;
    }

    void ShowMessage(const std::string& text, MessageStyle style,
                     const std::string& title) override {
        seen.push_back(title + "/" + std::to_string(static_cast<int>(style)) + ": " + text);
    }
    std::string Variable(const std::string& name) const override {
        return variables.contains(name) ? variables.at(name) : "";
    }
    std::string RoamingFolder() const override { return roamingFolder; }
    ProgramVersion Version() const override { return version; }
    std::string DecimalSeparator() const override { return decimalSeparator; }
    std::string ProgramFolder() const override { return programFolder; }
    std::string CommandLine() const override { return commandLine; }
    std::string CurrentFolder() const override { return currentFolder; }
    // Latin-1, as the legacy code page: every byte is the character of that number.
    std::string FromLegacyCodePage(const std::string& bytes) const override {
        std::string text;
        for (unsigned char c : bytes)
            text += c < 0x80 ? std::string(1, char(c))
                             : std::string{char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        return text;
    }
    std::int64_t Today() const override { return today; }
    std::unique_ptr<SessionLock> Hold(const std::string&, unsigned) override {
        return lockBusy ? nullptr : std::make_unique<FakeLock>(locksHeld);
    }
    [[noreturn]] void EndNow() override {
        seen.push_back("end");
        throw ProcessEnded{};
    }
    std::string FindFirst(const std::string& pattern, SearchKind kind) override {
        if (pattern.find_first_of("<>|\"") != std::string::npos) throw RuntimeError(kBadFileName);
        for (const auto& [path, entry] : files) {
            if (!(entry.folder && kind == SearchKind::kFilesOnly) && Matches(pattern, path))
                return path.substr(path.find_last_of("\\/:") + 1);
        }
        return "";
    }
    void CreateFolder(const std::string& path) override {
        if (createFolderError != 0) Fail(createFolderError);
        seen.push_back("mkdir " + path);
    }
    std::string ReadFile(const std::string& path) override {
        if (readErrors.contains(path)) Fail(readErrors[path]);
        if (const FileEntry* entry = Lookup(path)) return entry->contents;
        throw RuntimeError(kFileNotFound);
    }
    std::string ReadFileStart(const std::string& path, std::size_t maxBytes) override {
        return ReadFile(path).substr(0, maxBytes);
    }
    void WriteFile(const std::string& path, const std::string& bytes) override {
        if (readErrors.contains(path)) Fail(readErrors[path]);
        files[path] = {bytes};
        writes.push_back(path + (locksHeld > 0 ? " (locked)" : ""));
    }
    std::optional<std::vector<FolderItem>> ListFolder(const std::string& folder) override {
        if (!Lookup(folder) || !Lookup(folder)->folder) return std::nullopt;
        std::vector<FolderItem> items;
        for (const auto& [path, entry] : files) {
            if (path.starts_with(folder + "\\") && path.find('\\', folder.size() + 1) == path.npos)
                items.push_back(*Details(path));
        }
        return items;
    }
    // A file's contents stand for its write time too.
    std::optional<FolderItem> Details(const std::string& path) override {
        const FileEntry* entry = Lookup(path);
        if (!entry) return std::nullopt;
        return FolderItem{path.substr(path.find_last_of('\\') + 1), entry->folder, entry->hidden,
                          entry->contents.size(), std::hash<std::string>{}(entry->contents)};
    }
    std::optional<ShortcutDetails> ReadShortcut(const std::string& path) override {
        return links.contains(path) ? std::optional(links[path]) : std::nullopt;
    }
    PicturePtr ItemListPicture(const std::string& path) override {
        icons.push_back("icon " + path + ",item list");
        if (!links.contains(path) || !links[path].hasItemList || lateItems.contains(path))
            return nullptr;
        return std::make_unique<FakePicture>(lastIcon += 0x10);
    }
    void WhenItemPictureArrives(std::function<void(const std::string&)> arrived) override {
        itemPictureArrived = std::move(arrived);
    }
    PicturePtr LoadPictureFile(const std::string& path) override {
        icons.push_back("load " + path);
        if (!Lookup(path)) throw RuntimeError(kFileNotFound);
        if (Lookup(path)->contents.empty()) throw RuntimeError(kInvalidPicture);
        return std::make_unique<FakePicture>(lastIcon += 0x10);
    }
    PicturePtr ExtractIconPicture(const std::string& file, std::int32_t number) override {
        icons.push_back("icon " + file + "," + std::to_string(number));
        if (!iconCounts.contains(file) || number < 0 || number >= iconCounts[file]) return nullptr;
        return std::make_unique<FakePicture>(lastIcon += 0x10);
    }
    void SaveIconFile(const Picture& picture, const std::string& path) override {
        if (saveIconError != 0) Fail(saveIconError);
        icons.push_back("save " + path + (picture.Handle() == lastIcon ? "" : " of another icon"));
    }
    std::string SystemDirectory() override { return "C:\\Windows\\system32"; }
    std::optional<IconLocation> ShellIconLocation(const std::string& path) override {
        return shellIcons.contains(path) ? std::optional(shellIcons[path]) : std::nullopt;
    }
    PicturePtr UpImage() override { return std::make_unique<FakePicture>(kUpImage); }
    PicturePtr BuiltInIcon() override { return std::make_unique<FakePicture>(kBuiltInIcon); }
    std::optional<std::string> ReadClassesRootDefault(const std::string& subkey) override {
        return registry.contains(subkey) ? std::optional(registry[subkey]) : std::nullopt;
    }
    bool NotifyIcon(TrayOperation operation, const TrayRecord& record) override {
        if (operation == TrayOperation::kSetVersion) {
            versions.push_back(std::to_string(record.uID) + ":" + std::to_string(record.uVersion));
            return true;
        }
        trayCalls.push_back({operation, record});
        seen.push_back(
            "AMDF"[static_cast<int>(operation)] + std::to_string(record.uID) +
            (record.hIcon == kUpImage && operation != TrayOperation::kDelete ? "^" : ""));
        // As a shell does: an icon it has refuses a second add, one it lacks any other call; a
        // new icon goes at the end.
        const bool held = std::ranges::count(inTray, record.uID) > 0;
        if (operation == TrayOperation::kDelete) return std::erase(inTray, record.uID) > 0;
        if (operation != TrayOperation::kAdd) return held;
        if (held) return false;
        if (refusedAdds > 0) return --refusedAdds, false;
        inTray.push_back(record.uID);
        return addsTakenLate > 0 ? (--addsTakenLate, false) : true;
    }
    std::unique_ptr<TraySlot> CreateTraySlot(std::uint32_t id, TraySlotEvents& events) override {
        auto slot = std::make_unique<Slot>(id, events, seen);
        slots.push_back(slot.get());
        return slot;
    }
    void RunMessageLoop() override {
        seen.push_back("loop");
        if (duringLoop) duringLoop();
    }
    bool WatchFolder(const std::string& folder, unsigned, std::function<bool()> then) override {
        watched = folder, settled = std::move(then);
        return true;
    }
    void QuitMessageLoop() override { seen.push_back("quit"); }
    std::string ProgramPath() override { return programFolder + "\\Iconlane.exe"; }
    std::optional<Texts> RecordNames() override {
        if (!iconRecords || unreadableListings-- > 0) return std::nullopt;
        Texts names;
        for (const auto& record : *iconRecords) names.push_back(record.first);
        return names;
    }
    std::optional<TrayIconRecord> ReadRecord(const std::string& name) override {
        return iconRecords->at(name);
    }
    void Promote(const std::string& name) override {
        promoted.push_back(name);
        iconRecords->at(name).promoted = 1;
    }
    bool Claim(const std::string& key, std::function<void()> then) override {
        if (listsHeldElsewhere) return false;
        claimed = key, handedOver = std::move(then);
        return true;
    }
    bool HandOver(const std::string& key) override {
        seen.push_back("hand over " + key);
        return !holderHangs;
    }
    void WhenAskedToEnd(std::function<void()> end) override { askedToEnd = std::move(end); }
    void MakeShortcut(const std::string& path, const std::string& target) override {
        if (readErrors.contains(path)) Fail(readErrors[path]);
        if (Lookup(path)) throw RuntimeError(kFileAlreadyExists);
        files[path] = {"lnk"}, links[path].target = target;
        seen.push_back("link " + path + " > " + target);
    }
    std::optional<std::string> KnownFolder(const std::string& guid) override {
        return knownFolders.contains(guid) ? std::optional(knownFolders[guid]) : std::nullopt;
    }
    bool Watch(unsigned, unsigned, std::function<void()> changed) override {
        if (iconRecords) recordsChanged = std::move(changed);
        return iconRecords.has_value();
    }
    bool Watching() const override { return recordsChanged != nullptr; }
    void WatchTrayIconSize(std::function<void()> changed) override { iconSizeChanged = changed; }
    MenuChoice ShowMenu(const MenuRequest& request) override {
        seen.push_back("menu" + std::to_string(request.iconId) +
                       (request.place == MenuPlace::kAtIcon ? "@icon" : "") +
                       (request.selectFirst ? "*" : ""));
        menus.push_back(request);
        MenuChoice choice = menuChoice ? menuChoice(request) : Chosen();
        if (!choice.shown) seen.back() += " busy";
        return choice;
    }
    void CloseMenus() override { seen.push_back("close menus"); }
    HotKeyHold HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) override {
        seen.push_back("hold " + ChordName(chord));
        hotKeyPressed = std::move(pressed);
        return hotKeyHold;
    }
    HeldKeys KeysHeld() override { return heldKeys; }
    std::uint64_t Milliseconds() override { return now; }
    unsigned DoubleClickMilliseconds() override { return 500; }
    std::int32_t OpenTarget(const std::string& target) override {
        seen.push_back("open " + target);
        if (auto meanwhile = std::exchange(duringOpen, nullptr)) meanwhile();
        return 42;
    }
    std::int32_t RunAsAdministrator(const std::string& target) override {
        seen.push_back("runas " + target);
        return 42;
    }
    void Ask(const std::string& question, const ExitAnswered& answered) override {
        seen.push_back("ask " + question);
        if (std::exchange(questionOpen, true)) return;  // the open question comes to the front
        auto answer = [&](ExitAnswer given) { questionOpen = false, answered(given); };
        exitAnswer ? exitAnswer(answer) : answer(ExitAnswer::kNo);
    }
    // The help window is this platform too, at its design size: "help <title>: <what it shows>".
    bool ShowModal(HelpWindowEvents& events) override {
        help_.clear();
        events.OnLoad(*this);
        events.OnResize(*this);
        seen.push_back("help " + help_);
        return true;
    }
    int ControlCount() const override { return 0; }
    LayoutControl& ControlAt(int) override { throw RuntimeError(kSubscriptOutOfRange); }
    float InnerWidth() const override { return 6705; }
    float InnerHeight() const override { return 5310; }
    IniValues ReadIniSection(const std::string& path, const std::string& section) override {
        IniValues values;
        for (const std::string& line : iniSections[path + "|" + section])
            values.emplace_back(line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
        return values;
    }
    std::optional<std::string> LoadLibraryString(const std::string& file,
                                                 std::uint32_t id) override {
        return LoadShellString(file + "," + std::to_string(id));
    }
    std::optional<std::string> LoadShellString(const std::string& text) override {
        return strings.contains(text) ? std::optional(strings[text]) : std::nullopt;
    }
    void SetTitle(const std::string& title) override { help_ = title + help_; }
    void LoadRichText(const std::string& path) override { help_ += ": " + path + ReadFile(path); }
    void SetPlainText(const std::string& text) override { help_ += ": " + text; }

private:
    std::string help_;
};

}  // namespace iconlane::fake
