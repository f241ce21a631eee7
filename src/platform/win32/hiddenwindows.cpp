#include "platform/win32/hiddenwindows.h"

#include "platform/errors.h"
#include "platform/trayrecord.h"
#include "platform/win32/resourceids.h"

namespace iconlane::win32 {
namespace {

constexpr const char* kEntryWindowClass = "frmTL";
constexpr UINT_PTR kFadeTimerId = 1;
constexpr UINT_PTR kRetryTimerId = 2;

// Broadcast by the shell to every top-level window when the task bar is created anew.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// A failure inside an event must not unwind through the window system: it is reported instead.
void ReportEventFailure(const RuntimeError& error) {
    std::string text =
        "Unexpected error #" + std::to_string(error.Number()) + " (" + error.Description() + ")";
    MessageBoxA(nullptr, text.c_str(), "Iconlane", MB_ICONEXCLAMATION | MB_OK);
}

void RegisterEntryWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(kProgramIconId));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageA(windowClass.hInstance, MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.lpszClassName = kEntryWindowClass;
    if (!RegisterClassExA(&windowClass)) throw RuntimeError(kOutOfMemory);
    registered = true;
}

UniqueMenu CreateMenuOf(const std::vector<std::string>& captions) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu.Valid()) throw RuntimeError(kOutOfMemory);
    UINT item = 1;
    for (const std::string& caption : captions) {
        UINT flags = caption == "-" ? MF_SEPARATOR : MF_STRING;
        AppendMenuA(menu.Get(), flags, item++, caption == "-" ? nullptr : caption.c_str());
    }
    return menu;
}

}  // namespace

Win32HiddenWindow::Win32HiddenWindow(const std::string& caption,
                                     const std::vector<std::string>& menuCaptions,
                                     WindowEvents& events, std::shared_ptr<bool> menuOpen)
    : events_(events), menuOpen_(std::move(menuOpen)), menu_(CreateMenuOf(menuCaptions)) {
    RegisterEntryWindowClass(&WindowProc);
    // The entry window is never shown; its client area matches the design (3780 x 1905 twips).
    CreateWindowExA(0, kEntryWindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, 252, 127, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) throw RuntimeError(kOutOfMemory);
}

Win32HiddenWindow::~Win32HiddenWindow() {
    Unload();
}

void Win32HiddenWindow::SetMenuItemEnabled(int item, bool enabled) {
    EnableMenuItem(menu_.Get(), static_cast<UINT>(item),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool Win32HiddenWindow::MenuItemEnabled(int item) const {
    UINT state = GetMenuState(menu_.Get(), static_cast<UINT>(item), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

// The window comes to the foreground first and gets a message after the menu closes, so that
// the menu closes when the user clicks elsewhere.
int Win32HiddenWindow::ShowPopupMenu() {
    if (window_ == nullptr || *menuOpen_) return 0;
    *menuOpen_ = true;
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(window_);
    int item = static_cast<int>(TrackPopupMenu(menu_.Get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x,
                                               cursor.y, 0, window_, nullptr));
    PostMessageA(window_, WM_NULL, 0, 0);
    *menuOpen_ = false;
    return item;
}

void Win32HiddenWindow::SetTimer(bool enabled, unsigned intervalMs) {
    SwitchTimer(kFadeTimerId, enabled, intervalMs);
}

void Win32HiddenWindow::SetRetryTimer(bool enabled, unsigned intervalMs) {
    SwitchTimer(kRetryTimerId, enabled, intervalMs);
}

void Win32HiddenWindow::SwitchTimer(UINT_PTR id, bool enabled, unsigned intervalMs) {
    if (window_ == nullptr) return;
    if (enabled) {
        ::SetTimer(window_, id, intervalMs, nullptr);
    } else {
        KillTimer(window_, id);
    }
}

void Win32HiddenWindow::Unload() {
    if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK Win32HiddenWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32HiddenWindow*>(
            reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        self->handle_ = reinterpret_cast<std::uintptr_t>(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32HiddenWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Win32HiddenWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    if (message == TaskbarCreatedMessage()) {
        Dispatch(message, wParam, lParam);
        return 0;
    }
    switch (message) {
        case kTrayCallbackMessage:
        case WM_TIMER:
        case WM_DESTROY:
            Dispatch(message, wParam, lParam);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32HiddenWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == kTrayCallbackMessage) {
            // The tray puts the mouse message number where a mouse move has its coordinates.
            events_.OnTrayMessage(static_cast<int>(lParam));
        } else if (message == WM_TIMER) {
            if (wParam == kRetryTimerId) {
                events_.OnRetryTimer();
            } else {
                events_.OnTimer();
            }
        } else if (message == TaskbarCreatedMessage()) {
            events_.OnTaskbarCreated();
        } else {
            events_.OnUnload();
        }
    } catch (const RuntimeError& error) {
        ReportEventFailure(error);
    }
}

std::unique_ptr<HiddenWindow> Win32WindowSystem::CreateHiddenWindow(
    const std::string& caption, const std::vector<std::string>& menuCaptions,
    WindowEvents& events) {
    return std::make_unique<Win32HiddenWindow>(caption, menuCaptions, events, menuOpen_);
}

void Win32WindowSystem::RunMessageLoop() {
    win32::RunMessageLoop(watch_);
}

bool Win32WindowSystem::WatchFolder(const std::string& folder, unsigned settleMs,
                                    std::function<bool()> settled) {
    return watch_.Start(folder, settleMs, std::move(settled));
}

void Win32WindowSystem::QuitMessageLoop() {
    PostQuitMessage(0);
}

}  // namespace iconlane::win32
