// The platform in memory: every service of platform/services.h, recording each call the program
// makes so that a test can check what a user would have seen, and failing on request.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"

namespace iconlane::fake {

// Thrown by Process::EndNow. Deliberately not a RuntimeError, so no handler of the program can
// swallow the end of the process.
struct ProcessEnded {};

struct Message {
    std::string text;
    MessageStyle style;
    std::string title;
    bool operator==(const Message&) const = default;
};

struct TrayCall {
    TrayOperation operation;
    TrayRecord record;
};

struct FileEntry {
    std::string contents;  // a file without contents is no picture
    bool folder = false;
    bool hidden = false;
};

// An entry's slot on the one tray window.
struct WindowState {
    std::uintptr_t handle = 0;  // the tray window's
    std::uint32_t id = 0;
    std::vector<std::string> menuCaptions;
    std::vector<bool> menuEnabled;
    TraySlotEvents* events = nullptr;
    bool destroyed = false;
    bool timerEnabled = false;
    unsigned timerInterval = 0;
    int timerCalls = 0;  // every SetTimer, whatever it sets
    bool retryTimerEnabled = false;
    int menuShown = 0;
};

// Set as an error of a file call, this fails it with std::bad_alloc instead of a numbered error.
inline constexpr int kBadAlloc = -1;

// Fails with numbered error `number`, or with std::bad_alloc for kBadAlloc.
[[noreturn]] void Fail(int number);

// The number of the RuntimeError a call fails with; 0 when it succeeds.
int ErrorOf(const std::function<void()>& call);

// The tooltip bytes of a tray record up to the first zero (all 64 when there is none).
std::string TipText(const TrayRecord& record);

class FakePlatform : public Dialogs,
                     public Environment,
                     public Process,
                     public FileSystem,
                     public Pictures,
                     public TrayShell,
                     public WindowSystem,
                     public Shell,
                     public ExitDialog,
                     public Registry,
                     public HelpWindowHost {
public:
    static constexpr std::uintptr_t kUpImageHandle = 0x7000;
    static constexpr std::uintptr_t kBuiltInIconHandle = 0x7100;
    static constexpr std::uintptr_t kTrayWindowHandle = 0x6000;
    static constexpr const char* kSystemLibrary = "C:\\Windows\\system32\\SHELL32.DLL";

    FakePlatform() = default;
    FakePlatform(const FakePlatform&) = delete;  // `services` refers to this very object
    FakePlatform& operator=(const FakePlatform&) = delete;

    // The machine as the test sets it up.
    std::map<std::string, std::string> variables;
    std::string programFolder = "C:\\Apps";
    std::string commandLine;
    std::map<std::string, FileEntry> files;  // full path -> entry; looked up without letter case
    int createFolderError = 0;               // CreateFolder fails with it when not 0
    std::map<std::string, int> readErrors;   // path -> error ReadFile fails with
    std::function<void()> duringLoop;        // what the user does while the message loop runs
    // file -> how many icons it holds; a file not listed holds none. Letter case is ignored.
    std::map<std::string, int> iconCounts{{kSystemLibrary, 300}};
    // HKEY_CLASSES_ROOT subkey -> the bytes its default value reads as (NUL included).
    std::map<std::string, std::string> registryValues;
    int refusedAdds = 0;    // the shell refuses this many adds (it is not ready yet)
    int saveIconError = 0;  // SaveIconFile fails with it when not 0
    ProgramVersion version{1, 0, 0};
    std::string decimalSeparator = ".";
    std::map<std::string, int> richTextErrors;  // guide path -> error loading it fails with
    std::function<int()> menuChoice;            // the item the user picks when a menu opens
    // The user at the open exit question: answers through `answer`, then may go on acting before
    // the question's loop unwinds. Without it the answer is No.
    std::function<void(const ExitAnswered& answer)> exitAnswer;
    std::function<void()> duringOpen;  // what happens while the shell opens a target

    // What the program did.
    std::vector<Message> messages;
    std::vector<std::string> createdFolders;
    std::vector<std::string> loadedPictures;
    std::vector<std::pair<std::string, std::int32_t>> extractedIcons;
    std::vector<std::string> savedIcons;
    struct HelpShown {
        std::string title, richTextPath, plainText;
    };
    std::vector<HelpShown> helpShown;  // every help window that appeared, as it was filled
    std::vector<TrayCall> trayCalls;
    std::deque<WindowState> windows;  // every slot ever created, in order
    int livePictures = 0;             // pictures created and not yet destroyed
    int loopRuns = 0;
    int quitCalls = 0;
    std::vector<std::string> openedTargets;
    std::vector<std::string> questions;  // every exit question asked, in order
    bool questionOpen = false;           // an exit question waits for its answer

    Services services{*this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this};

    void AddFile(const std::string& path, std::string contents = "icon", bool hidden = false);
    void AddFolder(const std::string& path) { files[path] = FileEntry{"", true, false}; }
    // A registry value as the program reads it: the text and its terminating NUL.
    void SetRegistryText(const std::string& subkey, const std::string& text) {
        registryValues[subkey] = text + '\0';
    }
    // Unloads slot `index` (0-based) as the window system would on its own.
    void DestroyWindow(std::size_t index);
    // The tray window is closed: every slot still loaded unloads, in id order.
    void CloseTrayWindow();
    std::vector<TrayCall> TrayCalls(TrayOperation operation) const;

    void ShowMessage(const std::string& text, MessageStyle style,
                     const std::string& title) override {
        messages.push_back({text, style, title});
    }
    std::string Variable(const std::string& name) const override {
        return variables.contains(name) ? variables.at(name) : "";
    }
    std::string ProgramFolder() const override { return programFolder; }
    std::string CommandLine() const override { return commandLine; }
    [[noreturn]] void EndNow() override { throw ProcessEnded{}; }
    ProgramVersion Version() const override { return version; }
    std::string DecimalSeparator() const override { return decimalSeparator; }
    bool ShowModal(HelpWindowEvents& events) override;
    std::string FindFirst(const std::string& pattern, SearchKind kind) override;
    void CreateFolder(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    PicturePtr LoadPictureFile(const std::string& path) override;
    PicturePtr ExtractIconPicture(const std::string& file, std::int32_t number) override;
    std::string SystemDirectory() override { return "C:\\Windows\\system32"; }
    PicturePtr UpImage() override { return NewPicture(kUpImageHandle); }  // shared: same handle
    PicturePtr BuiltInIcon() override { return NewPicture(kBuiltInIconHandle); }
    void SaveIconFile(const Picture& picture, const std::string& path) override;
    std::optional<std::string> ReadClassesRootDefault(const std::string& subkey) override;
    bool NotifyIcon(TrayOperation operation, const TrayRecord& record) override {
        trayCalls.push_back({operation, record});
        if (operation != TrayOperation::kAdd || refusedAdds == 0) return true;
        --refusedAdds;
        return false;
    }
    std::unique_ptr<TraySlot> CreateTraySlot(std::uint32_t id,
                                             const std::vector<std::string>& menuCaptions,
                                             TraySlotEvents& events) override;
    void RunMessageLoop() override {
        ++loopRuns;
        if (duringLoop) duringLoop();
    }
    void QuitMessageLoop() override { ++quitCalls; }
    std::int32_t OpenTarget(const std::string& target) override {
        openedTargets.push_back(target);
        if (duringOpen) duringOpen();
        return 42;
    }
    void Ask(const std::string& question, const ExitAnswered& answered) override;

private:
    const FileEntry* Lookup(const std::string& path) const;
    PicturePtr NewPicture(std::uintptr_t handle);

    std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace iconlane::fake
