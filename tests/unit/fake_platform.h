// The platform in memory: every service the program calls, recording what a user would have seen,
// and failing where a test asks it to.
#pragma once

#include <fnmatch.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/services.h"

namespace iconlane::fake {

using Texts = std::vector<std::string>;
struct ProcessEnded {};  // thrown by EndNow; being no RuntimeError, no handler can swallow it
inline constexpr int kBadAlloc = -1;  // as an error to fail with: std::bad_alloc
inline constexpr int kEnded = -2;     // what ErrorOf answers for a call that ends the process

[[noreturn]] inline void Fail(int error) {
    if (error == kBadAlloc) throw std::bad_alloc();
    throw RuntimeError(error);
}
// The number of the RuntimeError `call` fails with; 0 when it returns.
inline int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    } catch (const ProcessEnded&) {
        return kEnded;
    }
    return 0;
}
// File names match without letter case, either slash separating folders.
inline bool Matches(std::string pattern, std::string path) {
    std::replace(pattern.begin(), pattern.end(), '/', '\\');
    std::replace(path.begin(), path.end(), '/', '\\');
    return fnmatch(pattern.c_str(), path.c_str(), FNM_NOESCAPE | FNM_CASEFOLD) == 0;
}

struct TrayCall {
    TrayOperation operation;
    TrayRecord record;
    std::string Tip() const { return std::string(record.szTip.data(), 64).c_str(); }
};
struct FileEntry {
    std::string contents;  // a file without contents is no picture
    bool folder = false, hidden = false;
};
struct FakePicture final : Picture {
    explicit FakePicture(std::uintptr_t handle) : handle(handle) {}
    std::uintptr_t Handle() const override { return handle; }
    std::uintptr_t handle;
};

// An entry's share of the tray window.
struct Slot {
    std::uint32_t id;
    Texts menu;
    std::vector<bool> menuEnabled;
    TraySlotEvents* events;
    bool unloaded = false;
    unsigned timer = 0, retryTimer = 0;  // the interval while the timer runs, else 0
    int timerCalls = 0;
    void Unload() {  // as the window system does it, also on its own
        if (!std::exchange(unloaded, true)) events->OnUnload();
    }
};
struct FakeSlot final : TraySlot {
    FakeSlot(Slot& slot, Texts& seen, std::function<int()>& choice)
        : s(slot), seen(seen), choice(choice) {}
    std::uintptr_t Window() const override { return 0x6000; }
    std::uint32_t Id() const override { return s.id; }
    void SetMenuItemEnabled(int item, bool on) override { s.menuEnabled.at(item - 1) = on; }
    bool MenuItemEnabled(int item) const override { return s.menuEnabled.at(item - 1); }
    int ShowPopupMenu() override {
        seen.push_back("menu " + std::to_string(s.id));
        return choice ? choice() : 0;
    }
    void SetTimer(bool on, unsigned ms) override { s.timer = on ? ms : 0, ++s.timerCalls; }
    void SetRetryTimer(bool on, unsigned ms) override { s.retryTimer = on ? ms : 0; }
    void Unload() override { s.Unload(); }
    Slot& s;
    Texts& seen;
    std::function<int()>& choice;
};

// clang-format off
class FakePlatform : public Dialogs, public Environment, public Process, public FileSystem,
    public Pictures, public TrayShell, public WindowSystem, public Shell, public ExitDialog,
    public Registry, public HelpWindowHost, public HelpSurface {
    // clang-format on
public:
    static constexpr std::uintptr_t kUpImage = 0x7000, kBuiltInIcon = 0x7100, kTrayWindow = 0x6000;
    static constexpr const char* kLibrary = "C:\\Windows\\system32\\SHELL32.DLL";

    // The machine as the test sets it up.
    std::map<std::string, std::string> variables;
    std::string programFolder = "C:\\Apps", commandLine;
    std::map<std::string, FileEntry> files;  // full path -> entry
    std::map<std::string, int> readErrors;   // path -> error reading it fails with
    int createFolderError = 0, saveIconError = 0, openError = 0, refusedAdds = 0;
    std::map<std::string, int> iconCounts{{kLibrary, 300}};  // file -> icons it holds
    std::map<std::string, std::string> registry;  // subkey -> bytes of its value, NUL included
    ProgramVersion version{1, 0, 0};
    std::string decimalSeparator = ".";
    std::function<int()> menuChoice;
    std::function<void(const ExitAnswered&)> exitAnswer;  // the user at the question; else No

    // What the program did. `seen`: messages ("Iconlane!/16: text"), folders made, the help
    // window, pop-up menus, targets opened, exit questions, message loops and the end, in order.
    Texts seen, loadedPictures;
    std::vector<std::pair<std::string, std::int32_t>> extracted;
    std::vector<std::pair<std::string, std::uintptr_t>> saved;
    std::vector<TrayCall> trayCalls;
    std::deque<Slot> slots;
    std::uintptr_t lastIcon = 0x1000;  // the newest icon extracted or loaded
    int quitCalls = 0;
    bool questionOpen = false;

    Services services{*this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this};

    // Operation letter and icon id of every tray call from call `from` on, "^" marking an icon
    // shown as the Up image: "A1M1^D1".
    std::string Calls(std::size_t from = 0) const {
        std::string calls;
        for (std::size_t i = from; i < trayCalls.size(); ++i) {
            calls += "AMD"[static_cast<int>(trayCalls[i].operation)];
            calls += std::to_string(trayCalls[i].record.uID);
            if (trayCalls[i].record.hIcon == kUpImage &&
                trayCalls[i].operation != TrayOperation::kDelete) {
                calls += '^';
            }
        }
        return calls;
    }
    void AddFile(const std::string& path, std::string contents = "icon") {
        files[path] = {std::move(contents)};
    }
    const FileEntry* Lookup(const std::string& path) const {
        for (const auto& [name, entry] : files) {
            if (Matches(path, name)) return &entry;
        }
        return nullptr;
    }

    void ShowMessage(const std::string& text, MessageStyle style,
                     const std::string& title) override {
        seen.push_back(title + "/" + std::to_string(static_cast<int>(style)) + ": " + text);
    }
    std::string Variable(const std::string& name) const override {
        return variables.contains(name) ? variables.at(name) : "";
    }
    ProgramVersion Version() const override { return version; }
    std::string DecimalSeparator() const override { return decimalSeparator; }
    std::string ProgramFolder() const override { return programFolder; }
    std::string CommandLine() const override { return commandLine; }
    [[noreturn]] void EndNow() override {
        seen.push_back("end");
        throw ProcessEnded{};
    }
    std::string FindFirst(const std::string& pattern, SearchKind kind) override {
        if (pattern.find_first_of("<>|\"") != std::string::npos) throw RuntimeError(kBadFileName);
        for (const auto& [path, entry] : files) {
            bool visible = !entry.hidden && !(entry.folder && kind == SearchKind::kFilesOnly);
            if (visible && Matches(pattern, path))
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
    PicturePtr LoadPictureFile(const std::string& path) override {
        loadedPictures.push_back(path);
        if (!Lookup(path)) throw RuntimeError(kFileNotFound);
        if (Lookup(path)->contents.empty()) throw RuntimeError(kInvalidPicture);
        return std::make_unique<FakePicture>(lastIcon += 0x10);
    }
    PicturePtr ExtractIconPicture(const std::string& file, std::int32_t number) override {
        extracted.emplace_back(file, number);
        if (!iconCounts.contains(file) || number < 0 || number >= iconCounts[file]) return nullptr;
        return std::make_unique<FakePicture>(lastIcon += 0x10);
    }
    void SaveIconFile(const Picture& picture, const std::string& path) override {
        if (saveIconError != 0) Fail(saveIconError);
        saved.emplace_back(path, picture.Handle());
    }
    std::string SystemDirectory() override { return "C:\\Windows\\system32"; }
    PicturePtr UpImage() override { return std::make_unique<FakePicture>(kUpImage); }
    PicturePtr BuiltInIcon() override { return std::make_unique<FakePicture>(kBuiltInIcon); }
    std::optional<std::string> ReadClassesRootDefault(const std::string& subkey) override {
        if (registry.contains(subkey)) return registry[subkey];
        return std::nullopt;
    }
    bool NotifyIcon(TrayOperation operation, const TrayRecord& record) override {
        trayCalls.push_back({operation, record});
        if (operation != TrayOperation::kAdd || refusedAdds == 0) return true;
        return --refusedAdds, false;
    }
    std::unique_ptr<TraySlot> CreateTraySlot(std::uint32_t id, const Texts& menu,
                                             TraySlotEvents& events) override {
        slots.push_back({id, menu, std::vector<bool>(menu.size(), true), &events});
        return std::make_unique<FakeSlot>(slots.back(), seen, menuChoice);
    }
    void RunMessageLoop() override { seen.push_back("loop"); }
    void QuitMessageLoop() override { ++quitCalls; }
    std::int32_t OpenTarget(const std::string& target) override {
        if (openError != 0) Fail(openError);
        seen.push_back("open " + target);
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
    void SetTitle(const std::string& title) override { help_ = title + help_; }
    void LoadRichText(const std::string& path) override { help_ += ": " + path + ReadFile(path); }
    void SetPlainText(const std::string& text) override { help_ += ": " + text; }

private:
    std::string help_;
};

}  // namespace iconlane::fake
