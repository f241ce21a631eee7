#include "iconlane_fixture.h"

#include <cctype>
#include <stdexcept>

#include "window_search.h"

namespace e2e {
namespace {

constexpr auto kQuietTime = TrayProbe::kQuietTime;
constexpr auto kCleanEndTimeout = 5s;

// Folder name for the running test: "Suite-Name", reduced to characters safe in a path.
std::string currentTestFolderName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    }
    return name;
}

// The task bar appears a moment after the desktop; wait for it rather than fail a cold first test.
std::optional<TrayProbe> openTray() {
    std::optional<TrayProbe> tray;
    pollUntil([&] {
        try {
            tray.emplace();
        } catch (const std::runtime_error&) {
        }
        return tray.has_value();
    });
    if (!tray) tray.emplace();  // throws with the reason
    return tray;
}

}  // namespace

void IconlaneTest::SetUp() {
    scenario_.emplace(currentTestFolderName());
    tray_ = openTray();
    // Icons are counted exactly, so the tray must start empty.
    ASSERT_EQ(tray_->waitForIcons(0), Tips{}) << "icons left in the tray by an earlier program";
}

void IconlaneTest::TearDown() {
    endProgram();
}

ProgramProcess& IconlaneTest::start(const std::string& arguments, const Environment& environment) {
    LaunchOptions options;
    options.program = scenario_->program();
    options.arguments = arguments;
    options.currentDirectory = scenario_->path();
    options.environment = environment;
    options.environment.emplace("APPDATA", scenario_->path());
    program_ = std::make_unique<ProgramProcess>(options);
    return *program_;
}

std::optional<MessageBoxView> IconlaneTest::waitForMessageBox() const {
    return e2e::waitForMessageBox(program_->id());
}

bool IconlaneTest::showsNoMessageBox() const {
    return pollUntilSteady([&] { return messageBoxesOf(program_->id()).empty(); }, kQuietTime);
}

std::vector<HWND> IconlaneTest::entryWindows() const {
    return windowsOfClass(program_->id(), "IconlaneTray");
}

std::size_t IconlaneTest::closeEntryWindows(std::size_t count) {
    std::size_t closed = 0;
    for (HWND window : entryWindows()) {
        if (closed == count) break;
        if (PostMessageA(window, WM_CLOSE, 0, 0)) ++closed;
    }
    return closed;
}

void IconlaneTest::endProgram() {
    if (!program_ || !program_->running()) return;
    const bool ended = pollUntil(
        [&] {
            for (const MessageBoxView& box : messageBoxesOf(program_->id())) pressOk(box);
            closeEntryWindows();
            return program_->waitForExit(200ms);
        },
        kCleanEndTimeout);
    if (!ended) {
        ADD_FAILURE() << "iconlane.exe (" << program_->commandLine()
                      << ") did not end when its tray window was closed; killed it";
        program_->kill();
    }
}

}  // namespace e2e
