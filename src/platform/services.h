// The window and run-time services the program calls on, as small interfaces. The real ones talk
// to Win32 (platform/win32); tests hand the program fakes. Texts are UTF-8: the Win32 side hands
// them to the system as UTF-16, whatever the process code page.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/hotkeys.h"
#include "platform/layout.h"
#include "platform/menus.h"
#include "platform/namesources.h"
#include "platform/sessionlock.h"
#include "platform/trayrecord.h"

namespace iconlane {

enum class MessageStyle : int { kCritical = 16, kExclamation = 48 };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box with an OK button only.
    virtual void ShowMessage(const std::string& text, MessageStyle style,
                             const std::string& title) = 0;
};

class Environment {
public:
    virtual ~Environment() = default;
    // The value of a process environment variable; empty when it is undefined.
    virtual std::string Variable(const std::string& name) const = 0;
    // The user's roaming application-data folder as the shell keeps it, which APPDATA names in
    // an ordinary environment; empty when the shell knows none.
    virtual std::string RoamingFolder() const = 0;
};

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

class Process {
public:
    virtual ~Process() = default;
    // The program's own version, from its version resource.
    virtual ProgramVersion Version() const = 0;
    // The decimal separator of the user's locale.
    virtual std::string DecimalSeparator() const = 0;
    // The folder holding the program file, without a trailing separator (except a drive root).
    virtual std::string ProgramFolder() const = 0;
    // The raw command line without the program's path and the blanks after it; nothing else
    // removed.
    virtual std::string CommandLine() const = 0;
    // The process's current folder, in full.
    virtual std::string CurrentFolder() const = 0;
    // Ends the process at once; no further code of the program runs.
    [[noreturn]] virtual void EndNow() = 0;
    // Text in the system's legacy ANSI code page (the one it uses for programs that do not ask
    // for UTF-8) converted to UTF-8.
    virtual std::string FromLegacyCodePage(const std::string& bytes) const = 0;
    // Today by the system's clock, as days since 1 January 1970 (UTC).
    virtual std::int64_t Today() const = 0;
};

enum class SearchKind { kFilesOnly, kFilesAndFolders };

// One file or folder as a folder listing gives it.
struct FolderItem {
    std::string name;  // without its folder
    bool folder = false;
    bool hiddenOrSystem = false;
    // Together they change whenever the file is written: its size and last write time.
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    bool operator==(const FolderItem&) const = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The name (without folder) of the first entry matching `pattern` (wildcards * and ? allowed):
    // ordinary files, and with kFilesAndFolders folders too; hidden and system entries never.
    // Empty when nothing matches. May fail with a numbered error for a pattern it refuses.
    virtual std::string FindFirst(const std::string& pattern, SearchKind kind) = 0;
    virtual void CreateFolder(const std::string& path) = 0;
    // The whole contents of a file, as bytes. Fails with 53 (file not found) only when there is
    // no such file (or folder on its path).
    virtual std::string ReadFile(const std::string& path) = 0;
    // The first `maxBytes` bytes of a file, or all of a shorter one; fails as ReadFile does.
    virtual std::string ReadFileStart(const std::string& path, std::size_t maxBytes) = 0;
    // Replaces a file whole; a reader sees the old contents or the new, never a part.
    virtual void WriteFile(const std::string& path, const std::string& bytes) = 0;
    // Everything in a folder but "." and "..", in no particular order; nothing when the folder
    // does not exist or cannot be listed.
    virtual std::optional<std::vector<FolderItem>> ListFolder(const std::string& folder) = 0;
    // One file or folder named exactly (no wildcards); nothing when there is none.
    virtual std::optional<FolderItem> Details(const std::string& path) = 0;
};

// What a shortcut (.lnk) file holds, as the shell stores it.
struct ShortcutDetails {
    std::string description;
    std::string iconFile;  // environment references not expanded; empty when it has none
    std::int32_t iconNumber = 0;
    std::string target;  // the path it opens; empty for a shortcut to something that is no file
    bool hasItemList = false;  // the shell's own address of what it opens (a folder, an app)
    bool operator==(const ShortcutDetails&) const = default;
};

class Picture;

class Shortcuts {
public:
    virtual ~Shortcuts() = default;
    // Nothing when the file cannot be read as a shortcut.
    virtual std::optional<ShortcutDetails> ReadShortcut(const std::string& path) = 0;
    // The shell's own picture of the item a shortcut's item list points to, owning its icon, at
    // the size of the other entry pictures; null when the shell gives none, or none in time. One
    // question per shortcut is open at most: while one waits, null comes at once.
    virtual std::unique_ptr<Picture> ItemListPicture(const std::string& path) = 0;
    // `arrived` runs, only ever from RunMessageLoop, when the shell answers late about a shortcut;
    // ItemListPicture asked from inside it gives that answer at once.
    virtual void WhenItemPictureArrives(std::function<void(const std::string& path)> arrived) = 0;
    // Writes a new shortcut file at `path` that opens `target`, in the target's folder. Fails with
    // 58 (file already exists) when something has that name already: nothing is overwritten.
    virtual void MakeShortcut(const std::string& path, const std::string& target) = 0;
};

// A picture whose handle is an icon handle (0 for no icon). Destroying the picture releases the
// icon when the picture owns it.
class Picture {
public:
    virtual ~Picture() = default;
    virtual std::uintptr_t Handle() const = 0;
};
using PicturePtr = std::unique_ptr<Picture>;

// Where an icon is kept: a program, library or icon file and the icon's number in it.
struct IconLocation {
    std::string file;
    std::int32_t number = 0;
    bool operator==(const IconLocation&) const = default;
};

class Pictures {
public:
    virtual ~Pictures() = default;
    // An icon file loaded as a picture; fails with 53 (file not found) or 481 (invalid picture).
    virtual PicturePtr LoadPictureFile(const std::string& path) = 0;
    // Icon `number` of a program, library or icon file, wrapped into a picture that owns it; null
    // when the file yields no icon there (-1, which would count the icons, yields none either).
    virtual PicturePtr ExtractIconPicture(const std::string& file, std::int32_t number) = 0;
    // Writes an icon picture as an .ico file, replacing a file of that name whole; a file that
    // already holds exactly these bytes is left as it is.
    virtual void SaveIconFile(const Picture& picture, const std::string& path) = 0;
    // The system folder, as the system reports it.
    virtual std::string SystemDirectory() = 0;
    // Where the shell takes its picture of a file or folder from, as Explorer shows it (a
    // folder's own icon named in its desktop.ini included); environment references may be left
    // in the file. Nothing when the shell names no file for it.
    virtual std::optional<IconLocation> ShellIconLocation(const std::string& path) = 0;
    // Pictures are made at the size the tray shows its icons at, as it is when they are made.
    // The image every entry blinks to: shared, never destroyed by its users.
    virtual PicturePtr UpImage() = 0;
    // The program's own icon, for an entry that no other icon can be found for. Shared too.
    virtual PicturePtr BuiltInIcon() = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // The default value of a key under HKEY_CLASSES_ROOT as read into a buffer of 260 characters:
    // the characters written, terminating NUL included. Nothing when the key cannot be opened or
    // its value cannot be read (a value needing more than 260 characters included).
    virtual std::optional<std::string> ReadClassesRootDefault(const std::string& subkey) = 0;
};

class TrayShell {
public:
    virtual ~TrayShell() = default;
    // Hands a copy of the record to the shell; true when the shell took it.
    virtual bool NotifyIcon(TrayOperation operation, const TrayRecord& record) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Asks the shell to open a target with the verb "Open"; returns the shell's answer unexamined.
    virtual std::int32_t OpenTarget(const std::string& target) = 0;
    // The same with the verb "runas": the target runs as administrator, once the user agrees.
    virtual std::int32_t RunAsAdministrator(const std::string& target) = 0;
};

// What the tray window reports about one entry's slot.
class TraySlotEvents {
public:
    virtual ~TraySlotEvents() = default;
    // A tray notification: the mouse message number the tray reports for the slot's icon.
    virtual void OnTrayMessage(int mouseMessage) = 0;
    // A tick of the slot's blink timer.
    virtual void OnTimer() = 0;
    // A tick of the slot's timer that retries a tray icon the shell did not take.
    virtual void OnRetryTimer() = 0;
    // The task bar was created anew (the shell restarted): the icon must be added again. Every
    // slot hears it, in the order the slots were made.
    virtual void OnTaskbarCreated() = 0;
    // The slot is being unloaded, by Unload or because the tray window is closed (which unloads
    // every slot in the order they were made); the window still has its handle.
    virtual void OnUnload() = 0;
};

// One entry's share of the program's one hidden tray window: the id its tray icon carries and its
// own two timers.
class TraySlot {
public:
    virtual ~TraySlot() = default;
    // The tray window, which owns every tray icon of the program.
    virtual std::uintptr_t Window() const = 0;
    virtual std::uint32_t Id() const = 0;
    virtual void SetTimer(bool enabled, unsigned intervalMs) = 0;
    virtual void SetRetryTimer(bool enabled, unsigned intervalMs) = 0;
    // Stops the slot's timers and takes it off the window; its OnUnload runs first. Does nothing
    // the second time. Releasing the slot unloads it.
    virtual void Unload() = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // A slot with the id `id` (1 and up, unused by the other slots) on the tray window, which is
    // made with the first slot. `events` must outlive the slot, and the window system every slot
    // it made.
    virtual std::unique_ptr<TraySlot> CreateTraySlot(std::uint32_t id, TraySlotEvents& events) = 0;
    // Delivers window messages until QuitMessageLoop is called.
    virtual void RunMessageLoop() = 0;
    // Watches a folder for files added, removed, renamed or written. Once a change has been
    // followed by `settleMs` of quiet, `settled` runs, only ever from RunMessageLoop itself, so
    // never while a message box or other modal window is open: a change made meanwhile is handed
    // over when it closes. When `settled` answers false it runs again after another settle
    // period (a few times at most). Answers false when the folder cannot be watched.
    virtual bool WatchFolder(const std::string& folder, unsigned settleMs,
                             std::function<bool()> settled) = 0;
    virtual void QuitMessageLoop() = 0;
    // `changed` runs, from the message loop, whenever the size the tray shows its icons at has
    // changed (the task bar's monitor or its DPI); before the slots hear of a TaskbarCreated.
    virtual void WatchTrayIconSize(std::function<void()> changed) = 0;
    // Shows a pop-up menu, owned by the tray window, and waits until it closes. Answers at once,
    // with nothing shown, while another menu is open. An item of the shell's own menu that is
    // chosen is run here, by the shell.
    virtual MenuChoice ShowMenu(const MenuRequest& request) = 0;
    // Closes every menu that is open, as Esc would.
    virtual void CloseMenus() = 0;
    // Control and Shift as they are held now (a tray notification carries no keys).
    virtual HeldKeys KeysHeld() = 0;
    // Holds `chord` for the program until it ends: `pressed` then runs each time it is pressed
    // anywhere, from the message loop (a menu's or a modal window's included).
    virtual HotKeyHold HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) = 0;
    // A clock in milliseconds, and the time within which a second click makes a double click.
    virtual std::uint64_t Milliseconds() = 0;
    virtual unsigned DoubleClickMilliseconds() = 0;
};

// What the task bar keeps about one icon it has seen: the program's path as it wrote it (a full
// path, or a known folder's GUID in braces followed by the rest of the path) and the icon's id.
struct TrayIconRecord {
    std::string executablePath;             // empty while the task bar has not written it yet
    std::optional<std::uint32_t> uid;       // nothing yet, or for an icon known by a GUID
    std::optional<std::uint32_t> promoted;  // 1 shown on the task bar, 0 not; nothing yet
    bool operator==(const TrayIconRecord&) const = default;
};

// Windows 11's undocumented records of the tray icons it has seen, one numbered key each under
// HKCU\Control Panel\NotifyIconSettings, which also say whether each icon shows on the task bar
// or waits in the overflow. Other systems keep none: then nothing is found and nothing watched.
class TrayIconRecords {
public:
    virtual ~TrayIconRecords() = default;
    // The full path of the program file.
    virtual std::string ProgramPath() = 0;
    // The names of the records; nothing when the system keeps none.
    virtual std::optional<std::vector<std::string>> RecordNames() = 0;
    virtual std::optional<TrayIconRecord> ReadRecord(const std::string& name) = 0;
    // Shows the icon of an existing record on the task bar; never creates a record.
    virtual void Promote(const std::string& name) = 0;
    // The folder a known-folder GUID ("{...}") stands for; nothing when the system knows none.
    virtual std::optional<std::string> KnownFolder(const std::string& guid) = 0;
    // Runs `changed` whenever a record is added or written, and once more when `quietMs` have
    // passed after such a change without another, only ever from RunMessageLoop, until `ms` have
    // passed since the latest call (and that last quiet call has come). False when the records
    // cannot be watched.
    virtual bool Watch(unsigned ms, unsigned quietMs, std::function<void()> changed) = 0;
    virtual bool Watching() const = 0;
};

// One Iconlane per list for each user and session: a start of a list that another one already shows
// hands it over to that one and ends.
class RunningLists {
public:
    virtual ~RunningLists() = default;
    // Claims the list named by `key` for the rest of the process's life. False when another
    // program of the same user and session holds it, also one running with rights this one lacks.
    // Once claimed, `handedOver` runs whenever a later start hands the list over, only ever from
    // RunMessageLoop (so never while a message box or other modal window is open).
    virtual bool Claim(const std::string& key, std::function<void()> handedOver) = 0;
    // Asks the program that holds `key` to read its list again: true once it took the request,
    // false when it did not answer within a few seconds (it hangs).
    virtual bool HandOver(const std::string& key) = 0;
    // `end` runs whenever something (an uninstaller) asks every Iconlane of the user's session to
    // end, from whatever loop delivers the request, modal ones included.
    virtual void WhenAskedToEnd(std::function<void()> end) = 0;
};

enum class ExitAnswer { kYes, kNo };
using ExitAnswered = std::function<void(ExitAnswer)>;

// The program-wide exit confirmation.
class ExitDialog {
public:
    virtual ~ExitDialog() = default;
    // Shows the question modally; other windows' messages and timer ticks go on meanwhile.
    // `answered` gets the answer the moment the user gives it, from inside the dialog, so also
    // while another modal window runs its loop above the question's; Ask returns once the
    // question's own loop has unwound. Closing it any other way than with Yes answers kNo. While
    // a question waits for its answer, it is brought to the front instead and Ask returns at once.
    virtual void Ask(const std::string& question, const ExitAnswered& answered) = 0;
};

// The help window as the program fills it: a title, the guide and two controls (the text box and
// the Ok button) in the window's units, twips.
class HelpSurface : public LayoutWindow {
public:
    virtual void SetTitle(const std::string& title) = 0;
    // Loads a rich-text file into the text box, replacing its whole content; fails with a
    // numbered error when the file cannot be read or is no rich text.
    virtual void LoadRichText(const std::string& path) = 0;
    virtual void SetPlainText(const std::string& text) = 0;
};

class HelpWindowEvents {
public:
    virtual ~HelpWindowEvents() = default;
    virtual void OnLoad(HelpSurface& surface) = 0;
    virtual void OnResize(HelpSurface& surface) = 0;
};

class HelpWindowHost {
public:
    virtual ~HelpWindowHost() = default;
    // Builds the window at its design size and layout, runs OnLoad, then shows it modally until
    // the user closes it; other windows' messages go on meanwhile. A failure in OnLoad destroys
    // the window before it appears and is raised here. While the window is already open it is
    // brought to the front and false comes back at once.
    virtual bool ShowModal(HelpWindowEvents& events) = 0;
};

// Everything the program needs from its platform.
struct Services {
    Dialogs& dialogs;
    Environment& environment;
    Process& process;
    FileSystem& files;
    Pictures& pictures;
    TrayShell& tray;
    WindowSystem& windows;
    Shell& shell;
    ExitDialog& exitDialog;
    Registry& registry;
    HelpWindowHost& help;
    Shortcuts& shortcuts;
    TrayIconRecords& iconRecords;
    RunningLists& lists;
    SessionLocks& locks;
    NameSources& names;
};

}  // namespace iconlane
