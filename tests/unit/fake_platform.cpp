#include "fake_platform.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <string_view>

#include "platform/errors.h"

namespace iconlane::fake {
namespace {

// Letters compare without case, and both slashes separate folders.
bool SameLetters(char a, char b) {
    auto fold = [](char c) {
        return c == '/' ? '\\' : std::tolower(static_cast<unsigned char>(c));
    };
    return fold(a) == fold(b);
}

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameLetters);
}

// File name wildcards: * stands for any run of characters, ? for any one.
bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
        return Matches(pattern.substr(1), name) ||
               (!name.empty() && Matches(pattern, name.substr(1)));
    }
    if (name.empty() || !(pattern[0] == '?' || SameLetters(pattern[0], name[0]))) return false;
    return Matches(pattern.substr(1), name.substr(1));
}

// Folder part (separator included) and name part of a path.
std::pair<std::string_view, std::string_view> SplitPath(std::string_view path) {
    std::size_t cut = path.find_last_of("\\/:");
    if (cut == std::string_view::npos) return {std::string_view(), path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

class FakePicture final : public Picture {
public:
    FakePicture(std::uintptr_t handle, int& live) : handle_(handle), live_(live) { ++live_; }
    ~FakePicture() override { --live_; }
    std::uintptr_t Handle() const override { return handle_; }

private:
    std::uintptr_t handle_;
    int& live_;
};

class FakeWindow final : public TraySlot {
public:
    FakeWindow(FakePlatform& platform, std::size_t index) : platform_(platform), index_(index) {}
    ~FakeWindow() override { Unload(); }  // like the real slot, releasing it unloads it
    std::uintptr_t Window() const override { return State().handle; }
    std::uint32_t Id() const override { return State().id; }
    void SetMenuItemEnabled(int item, bool enabled) override {
        State().menuEnabled.at(item - 1) = enabled;
    }
    bool MenuItemEnabled(int item) const override { return State().menuEnabled.at(item - 1); }
    int ShowPopupMenu() override {
        ++State().menuShown;
        return platform_.menuChoice ? platform_.menuChoice() : 0;
    }
    void SetTimer(bool enabled, unsigned intervalMs) override {
        State().timerEnabled = enabled;
        State().timerInterval = intervalMs;
        ++State().timerCalls;
    }
    void SetRetryTimer(bool enabled, unsigned) override { State().retryTimerEnabled = enabled; }
    void Unload() override { platform_.DestroyWindow(index_); }

private:
    WindowState& State() const { return platform_.windows[index_]; }

    FakePlatform& platform_;
    std::size_t index_;
};

// The help window at its design layout (twips), filled the way the program fills it.
class FakeHelpSurface final : public HelpSurface {
public:
    explicit FakeHelpSurface(FakePlatform& platform) : platform_(platform) {}
    int ControlCount() const override { return 0; }
    LayoutControl& ControlAt(int) override { throw RuntimeError(kSubscriptOutOfRange); }
    float InnerWidth() const override { return 6705; }
    float InnerHeight() const override { return 5310; }
    void SetTitle(const std::string& title) override { shown.title = title; }
    void LoadRichText(const std::string& path) override {
        if (auto error = platform_.richTextErrors.find(path);
            error != platform_.richTextErrors.end()) {
            Fail(error->second);
        }
        shown.richTextPath = path;
    }
    void SetPlainText(const std::string& text) override { shown.plainText = text; }

    FakePlatform::HelpShown shown;

private:
    FakePlatform& platform_;
};

}  // namespace

bool FakePlatform::ShowModal(HelpWindowEvents& events) {
    FakeHelpSurface surface(*this);
    events.OnLoad(surface);
    events.OnResize(surface);
    helpShown.push_back(surface.shown);
    return true;
}

void Fail(int number) {
    if (number == kBadAlloc) throw std::bad_alloc();
    throw RuntimeError(number);
}

int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

std::string TipText(const TrayRecord& record) {
    std::string tip(record.szTip.begin(), record.szTip.end());
    return tip.substr(0, tip.find('\0'));
}

void FakePlatform::AddFile(const std::string& path, std::string contents, bool hidden) {
    files[path] = FileEntry{std::move(contents), false, hidden};
}

void FakePlatform::DestroyWindow(std::size_t index) {
    WindowState& window = windows.at(index);
    if (window.destroyed) return;
    window.destroyed = true;
    window.events->OnUnload();
}

void FakePlatform::CloseTrayWindow() {
    std::vector<std::size_t> order(windows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return windows[a].id < windows[b].id; });
    for (std::size_t index : order) DestroyWindow(index);
}

std::vector<TrayCall> FakePlatform::TrayCalls(TrayOperation operation) const {
    std::vector<TrayCall> selected;
    std::copy_if(trayCalls.begin(), trayCalls.end(), std::back_inserter(selected),
                 [&](const TrayCall& call) { return call.operation == operation; });
    return selected;
}

std::string FakePlatform::FindFirst(const std::string& pattern, SearchKind kind) {
    if (pattern.find_first_of("<>|\"") != std::string::npos) throw RuntimeError(kBadFileName);
    auto [folder, namePattern] = SplitPath(pattern);
    for (const auto& [path, entry] : files) {
        auto [entryFolder, name] = SplitPath(path);
        if (entry.hidden || (entry.folder && kind == SearchKind::kFilesOnly)) continue;
        if (SameText(folder, entryFolder) && Matches(namePattern, name)) return std::string(name);
    }
    return "";
}

void FakePlatform::Ask(const std::string& question, const ExitAnswered& answered) {
    questions.push_back(question);
    if (questionOpen) return;  // the open question comes to the front
    questionOpen = true;
    auto answer = [&](ExitAnswer given) {
        questionOpen = false;
        answered(given);
    };
    exitAnswer ? exitAnswer(answer) : answer(ExitAnswer::kNo);
}

void FakePlatform::CreateFolder(const std::string& path) {
    if (createFolderError != 0) Fail(createFolderError);
    createdFolders.push_back(path);
    AddFolder(path);
}

std::string FakePlatform::ReadFile(const std::string& path) {
    if (auto error = readErrors.find(path); error != readErrors.end()) Fail(error->second);
    const FileEntry* entry = Lookup(path);
    if (entry == nullptr) throw RuntimeError(kFileNotFound);
    if (entry->folder) throw RuntimeError(kPathFileAccessError);
    return entry->contents;
}

PicturePtr FakePlatform::LoadPictureFile(const std::string& path) {
    loadedPictures.push_back(path);
    const FileEntry* entry = Lookup(path);
    if (entry == nullptr) throw RuntimeError(kFileNotFound);
    if (entry->contents.empty()) throw RuntimeError(kInvalidPicture);
    return NewPicture(nextHandle_ += 0x10);
}

PicturePtr FakePlatform::ExtractIconPicture(const std::string& file, std::int32_t number) {
    extractedIcons.emplace_back(file, number);
    auto found = std::find_if(iconCounts.begin(), iconCounts.end(),
                              [&](const auto& entry) { return SameText(entry.first, file); });
    if (found == iconCounts.end() || number < 0 || number >= found->second) return nullptr;
    return NewPicture(nextHandle_ += 0x10);
}

void FakePlatform::SaveIconFile(const Picture& picture, const std::string& path) {
    if (picture.Handle() == 0 || saveIconError != 0) {
        throw RuntimeError(saveIconError != 0 ? saveIconError : kInvalidPicture);
    }
    savedIcons.push_back(path);
    AddFile(path);
}

std::optional<std::string> FakePlatform::ReadClassesRootDefault(const std::string& subkey) {
    auto found = std::find_if(registryValues.begin(), registryValues.end(),
                              [&](const auto& entry) { return SameText(entry.first, subkey); });
    if (found == registryValues.end()) return std::nullopt;
    return found->second;
}

std::unique_ptr<TraySlot> FakePlatform::CreateTraySlot(std::uint32_t id,
                                                       const std::vector<std::string>& menuCaptions,
                                                       TraySlotEvents& events) {
    std::vector<bool> enabled(menuCaptions.size(), true);
    windows.push_back({kTrayWindowHandle, id, menuCaptions, enabled, &events, false});
    return std::make_unique<FakeWindow>(*this, windows.size() - 1);
}

const FileEntry* FakePlatform::Lookup(const std::string& path) const {
    auto found = std::find_if(files.begin(), files.end(),
                              [&](const auto& file) { return SameText(file.first, path); });
    return found == files.end() ? nullptr : &found->second;
}

PicturePtr FakePlatform::NewPicture(std::uintptr_t handle) {
    return std::make_unique<FakePicture>(handle, livePictures);
}

}  // namespace iconlane::fake
