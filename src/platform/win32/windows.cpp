#include "platform/win32/windows.h"

#include "platform/errors.h"

namespace iconlane::win32 {
namespace {

constexpr const char* kEntryWindowClass = "frmTL";

void RegisterEntryWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
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
                                     WindowEvents& events)
    : events_(events), menu_(CreateMenuOf(menuCaptions)) {
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
    switch (message) {
        case WM_DESTROY:
            events_.OnUnload();
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

std::unique_ptr<HiddenWindow> Win32WindowSystem::CreateHiddenWindow(
    const std::string& caption, const std::vector<std::string>& menuCaptions,
    WindowEvents& events) {
    return std::make_unique<Win32HiddenWindow>(caption, menuCaptions, events);
}

void Win32WindowSystem::RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Win32WindowSystem::QuitMessageLoop() {
    PostQuitMessage(0);
}

}  // namespace iconlane::win32
