#include "platform/win32/dialogs/helpwindow.h"

#include <richedit.h>

#include <cmath>

#include "platform/errors.h"
#include "platform/win32/pictures/pictures.h"
#include "platform/win32/system/files.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/resourceids.h"
#include "platform/win32/system/runtime.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

constexpr const wchar_t* kHelpWindowClass = L"frmHelp";
constexpr DWORD kHelpWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr int kDesignWidthTwips = 6705;
constexpr int kDesignHeightTwips = 5310;
// Design positions in twips: left, top, width, height.
constexpr RECT kTextBox{75, 90, 6525, 4305};
constexpr RECT kOkButton{5205, 4515, 1410, 705};

int ToPixels(float twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0f));
}
float ToTwips(int pixels, int dpi) {
    return static_cast<float>(pixels) * 1440.0f / dpi;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// Feeds a file to the RichEdit control.
DWORD CALLBACK ReadStream(DWORD_PTR file, LPBYTE buffer, LONG wanted, LONG* read) {
    DWORD done = 0;
    BOOL ok = ReadFile(reinterpret_cast<HANDLE>(file), buffer, static_cast<DWORD>(wanted), &done,
                       nullptr);
    *read = static_cast<LONG>(done);
    return ok ? 0 : 1;
}

}  // namespace

RECT ChildControl::Bounds() const {
    RECT bounds{};
    GetWindowRect(control_, &bounds);
    MapWindowPoints(nullptr, GetParent(control_), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

float ChildControl::Left() const {
    return ToTwips(Bounds().left, dpi_);
}
float ChildControl::Top() const {
    return ToTwips(Bounds().top, dpi_);
}
float ChildControl::Width() const {
    return ToTwips(Bounds().right - Bounds().left, dpi_);
}
float ChildControl::Height() const {
    return ToTwips(Bounds().bottom - Bounds().top, dpi_);
}

void ChildControl::Move(float left, float top, float width) {
    RECT bounds = Bounds();
    MoveWindow(control_, ToPixels(left, dpi_), ToPixels(top, dpi_), ToPixels(width, dpi_),
               bounds.bottom - bounds.top, TRUE);
}

void ChildControl::SetHeight(float height) {
    RECT bounds = Bounds();
    MoveWindow(control_, bounds.left, bounds.top, bounds.right - bounds.left,
               ToPixels(height, dpi_), TRUE);
}

Win32HelpWindow::~Win32HelpWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    if (richEdit_ != nullptr) FreeLibrary(richEdit_);
}

LayoutControl& Win32HelpWindow::ControlAt(int index) {
    if (index < 0 || index >= ControlCount()) throw RuntimeError(kSubscriptOutOfRange);
    return *controls_[static_cast<std::size_t>(index)];
}

float Win32HelpWindow::InnerWidth() const {
    RECT client{};
    GetClientRect(window_, &client);
    return ToTwips(client.right, dpi_);
}

float Win32HelpWindow::InnerHeight() const {
    RECT client{};
    GetClientRect(window_, &client);
    return ToTwips(client.bottom, dpi_);
}

void Win32HelpWindow::SetTitle(const std::string& title) {
    SetWindowTextW(window_, Wide(title).c_str());
}

void Win32HelpWindow::SetPlainText(const std::string& text) {
    SetWindowTextW(textBox_, Wide(text).c_str());
}

void Win32HelpWindow::LoadRichText(const std::string& path) {
    UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw RuntimeError(FileErrorNumber(GetLastError()));
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(file.Get()), 0, &ReadStream};
    SendMessageW(textBox_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0) throw RuntimeError(kPathFileAccessError);
}

bool Win32HelpWindow::ShowModal(HelpWindowEvents& events) {
    if (window_ != nullptr) {
        SetForegroundWindow(window_);
        return false;
    }
    CreateWindowAndControls();
    try {
        events.OnLoad(*this);
    } catch (...) {
        DestroyWindow(window_);
        throw;
    }
    events_ = &events;
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    SetFocus(okButton_);
    RunModalLoop();
    events_ = nullptr;
    return true;
}

// The window's own loop: it runs until the window is gone, and delivers every other window's
// messages meanwhile. A quit request that arrives here is passed on to the outer loop.
void Win32HelpWindow::RunModalLoop() {
    MSG message;
    while (window_ != nullptr) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (window_ == nullptr || !IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// RichEdit comes from the system folder only, never from the program's or the current folder.
void Win32HelpWindow::CreateWindowAndControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    LoadCommonControls();
    if (richEdit_ == nullptr) {
        wchar_t system[MAX_PATH];
        UINT length = GetSystemDirectoryW(system, MAX_PATH);
        std::wstring library =
            std::wstring(system, length < MAX_PATH ? length : 0) + L"\\msftedit.dll";
        richEdit_ = LoadLibraryW(library.c_str());
        if (richEdit_ == nullptr) throw RuntimeError(FileErrorNumber(GetLastError()));
    }
    WNDCLASSEXW windowClass{};
    if (!GetClassInfoExW(instance, kHelpWindowClass, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.hIcon =
            ProgramIcon(kProgramIconId, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        windowClass.hIconSm = ProgramIcon(kProgramIconId, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON));
        windowClass.lpszClassName = kHelpWindowClass;
        if (!RegisterClassExW(&windowClass)) throw RuntimeError(kOutOfMemory);
    }

    dpi_ = ScreenDpi();
    RECT frame{0, 0, ToPixels(kDesignWidthTwips, dpi_), ToPixels(kDesignHeightTwips, dpi_)};
    AdjustWindowRectEx(&frame, kHelpWindowStyle, FALSE, WS_EX_APPWINDOW);
    CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kHelpWindowClass, L"", kHelpWindowStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                    frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (window_ == nullptr) throw RuntimeError(kOutOfMemory);

    auto child = [&](const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                     const RECT& twips) {
        return CreateWindowExW(
            0, windowClass, text, WS_CHILD | WS_VISIBLE | style, ToPixels(twips.left, dpi_),
            ToPixels(twips.top, dpi_), ToPixels(twips.right, dpi_), ToPixels(twips.bottom, dpi_),
            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    // The Ok button comes first in the tab order, the text box second.
    okButton_ = child(L"BUTTON", L"&Ok!", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, kOkButton);
    textBox_ = child(L"RICHEDIT50W", L"",
                     WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                         ES_AUTOVSCROLL | ES_SAVESEL,
                     100, kTextBox);
    SendMessageW(okButton_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    int tick = MulDiv(32, dpi_, 96);
    SendMessageW(okButton_, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(ProgramIcon(kTickImageId, tick, tick)));

    // The text starts in MS Sans Serif at 8.5 points; a loaded guide brings its own formats.
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE;
    format.yHeight = 170;
    lstrcpynW(format.szFaceName, L"MS Sans Serif", LF_FACESIZE);
    SendMessageW(textBox_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    controls_[0] = std::make_unique<ChildControl>(textBox_, dpi_);
    controls_[1] = std::make_unique<ChildControl>(okButton_, dpi_);
}

// On a monitor of another DPI the window takes the suggested frame; its resize then lays the
// controls out again from their proportions, in twips at the new DPI.
void Win32HelpWindow::ChangeDpi(int dpi, const RECT& frame) {
    dpi_ = dpi;
    controls_[0] = std::make_unique<ChildControl>(textBox_, dpi_);
    controls_[1] = std::make_unique<ChildControl>(okButton_, dpi_);
    int tick = MulDiv(32, dpi_, 96);
    SendMessageW(okButton_, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(ProgramIcon(kTickImageId, tick, tick)));
    SetWindowPos(window_, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32HelpWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32HelpWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32HelpWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Win32HelpWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
        case WM_SIZE:
            if (events_ != nullptr) events_->OnResize(*this);
            return 0;
        case WM_DPICHANGED:
            ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_COMMAND:
            // Ok, Enter and Esc close the window.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = textBox_ = okButton_ = nullptr;
            // Destroyed from a sent message, the modal loop would wait on for a posted one.
            PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace iconlane::win32
