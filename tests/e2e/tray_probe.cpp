#include "tray_probe.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "polling.h"
#include "window_search.h"

namespace e2e {
namespace {

// Layout of the page borrowed in the task bar's process: the tool record, then the text buffer.
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kTextOffset = 512;
constexpr std::size_t kTextCapacity = (kPageSize - kTextOffset) / sizeof(wchar_t);
static_assert(sizeof(TTTOOLINFOW) <= kTextOffset);

// The task bar belongs to another process that might be busy; never block a test on it for long.
constexpr UINT kSendTimeoutMs = 2000;

LRESULT sendToTray(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

std::string toAnsi(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), bytes,
                        nullptr, nullptr);
    return ansi;
}

}  // namespace

TrayProbe::TrayProbe() {
    tray_ = FindWindowA("Shell_TrayWnd", nullptr);
    if (tray_ == nullptr) {
        throw std::runtime_error("no Shell_TrayWnd window: is Wine's virtual desktop running?");
    }
    DWORD trayProcessId = 0;
    GetWindowThreadProcessId(tray_, &trayProcessId);
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               trayProcessId));
    if (!process_) throw std::runtime_error("cannot open the task bar's process");
}

std::vector<HWND> TrayProbe::tooltipWindows() const {
    return topLevelWindowsWhere([&](HWND window) {
        return lstrcmpiA(classNameOf(window).c_str(), TOOLTIPS_CLASSA) == 0 &&
               GetWindow(window, GW_OWNER) == tray_;
    });
}

// Reads tool `index` of a tooltip control through a page in the task bar's process, since the
// control only accepts pointers valid in its own address space. The text of an empty slot (a
// deleted icon) is not read.
bool TrayProbe::readTool(const RemoteBuffer& page, HWND tooltip, int index, TrayIcon& icon) const {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = static_cast<LPWSTR>(page.at(kTextOffset));
    if (!page.write(0, &tool, sizeof tool) ||
        !sendToTray(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(page.at(0))) ||
        !page.read(0, &tool, sizeof tool)) {
        return false;
    }
    icon.slot = tool.rect;
    if (IsRectEmpty(&icon.slot)) return true;

    // TTM_ENUMTOOLSW may leave the tool's own text pointer in the record; point it back at our
    // buffer.
    const wchar_t nothing = L'\0';
    tool.lpszText = static_cast<LPWSTR>(page.at(kTextOffset));
    if (!page.write(0, &tool, sizeof tool) || !page.write(kTextOffset, &nothing, sizeof nothing)) {
        return false;
    }
    sendToTray(tooltip, TTM_GETTEXTW, kTextCapacity, reinterpret_cast<LPARAM>(page.at(0)));
    std::wstring text(kTextCapacity, L'\0');
    if (!page.read(kTextOffset, text.data(), kTextCapacity * sizeof(wchar_t))) return false;
    text.resize(std::min(text.find(L'\0'), kTextCapacity - 1));
    icon.tip = toAnsi(text);
    return true;
}

std::vector<TrayIcon> TrayProbe::icons() const {
    RemoteBuffer page(process_.get(), kPageSize);
    if (!page) throw std::runtime_error("cannot borrow memory in the task bar's process");
    std::vector<TrayIcon> shown;
    for (HWND tooltip : tooltipWindows()) {
        const int tools = static_cast<int>(sendToTray(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (int index = 0; index < tools; ++index) {
            TrayIcon icon;
            // An empty slot is the leftover of a deleted (or hidden) icon.
            if (readTool(page, tooltip, index, icon) && !IsRectEmpty(&icon.slot)) {
                shown.push_back(icon);
            }
        }
    }
    // The first icon added sits rightmost; sorting right to left gives the order of adding.
    std::sort(shown.begin(), shown.end(),
              [](const TrayIcon& a, const TrayIcon& b) { return a.slot.left > b.slot.left; });
    return shown;
}

std::vector<std::string> TrayProbe::tips(std::string_view prefix) const {
    std::vector<std::string> matching;
    for (const TrayIcon& icon : icons()) {
        if (std::string_view(icon.tip).starts_with(prefix)) matching.push_back(icon.tip);
    }
    return matching;
}

std::vector<std::string> TrayProbe::waitForIcons(std::size_t count, std::string_view prefix) const {
    std::vector<std::string> latest;
    pollUntilSteady(
        [&] {
            latest = tips(prefix);
            return latest.size() == count;
        },
        kQuietTime);
    return latest;
}

}  // namespace e2e
