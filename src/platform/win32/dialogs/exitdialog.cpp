#include "platform/win32/dialogs/exitdialog.h"

#include "platform/win32/pictures/pictures.h"
#include "platform/win32/system/resourceids.h"
#include "platform/win32/system/runtime.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
constexpr int kClientWidthTwips = 7905;
constexpr int kClientHeightTwips = 1545;
constexpr int kLabelId = 1000;
constexpr int kImageId = 1001;

// Positions in twips: left, top, width, height (as RECT: left, top, right = width, bottom =
// height).
constexpr RECT kLabel{870, 180, 6750, 255};
constexpr RECT kNoButton{4260, 825, 1290, 435};
constexpr RECT kYesButton{2610, 825, 1290, 435};
constexpr RECT kImage{360, 495, 495, 480};

void AppendText(std::vector<WORD>& words, const wchar_t* text) {
    do {
        words.push_back(static_cast<WORD>(*text));
    } while (*text++ != L'\0');
}

int ToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

}  // namespace

std::vector<WORD> ExitDialogTemplate() {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = kDialogStyle;
    header->cx = 264;  // replaced by the exact twip size when the dialog opens
    header->cy = 64;
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    AppendText(words, L"Exit Iconlane?");
    words.push_back(8);  // point size of the dialog's own font
    AppendText(words, L"MS Shell Dlg");
    return words;
}

void Win32ExitDialog::Ask(const std::string& question, const ExitAnswered& answered) {
    if (unanswered_ != nullptr) {
        SetForegroundWindow(unanswered_->Handle());
        return;
    }
    ExitQuestionDialog dialog(question, [this, &answered](ExitAnswer answer) {
        unanswered_ = nullptr;
        answered(answer);
    });
    unanswered_ = &dialog;
    dialog.Run();
    if (unanswered_ == &dialog) unanswered_ = nullptr;  // it could not be shown
}

void ExitQuestionDialog::Run() {
    LoadCommonControls();
    std::vector<WORD> dialogTemplate = ExitDialogTemplate();
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                            reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), nullptr,
                            &DialogProc, reinterpret_cast<LPARAM>(this));
    if (failure_) std::rethrow_exception(failure_);
}

INT_PTR CALLBACK ExitQuestionDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        reinterpret_cast<ExitQuestionDialog*>(lParam)->dialog_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<ExitQuestionDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self == nullptr ? FALSE : self->HandleMessage(message, wParam, lParam);
}

// The dialog hides at once and the answer is handed on from here: Yes may end the process before
// this dialog's loop (or any modal loop above it) returns.
void ExitQuestionDialog::Answer(ExitAnswer answer) {
    if (hasAnswer_) return;  // a second click that was queued before the dialog hid
    hasAnswer_ = true;
    EndDialog(dialog_, 0);
    try {
        answered_(answer);
    } catch (...) {
        failure_ = std::current_exception();
    }
}

INT_PTR ExitQuestionDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DPICHANGED: {
            // Moved to a monitor of another DPI: the suggested frame, and everything laid out anew.
            dpi_ = HIWORD(wParam);
            const RECT& frame = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(dialog_, nullptr, frame.left, frame.top, frame.right - frame.left,
                         frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
            PlaceControls();
            return TRUE;
        }
        case WM_INITDIALOG:
            LayOut();
            SetForegroundWindow(dialog_);
            return FALSE;  // the focus was set on No
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDYES:
                    Answer(ExitAnswer::kYes);
                    return TRUE;
                case IDNO:
                case IDCANCEL:  // Esc, Alt+F4 and the close box answer No
                    Answer(ExitAnswer::kNo);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

HWND ExitQuestionDialog::AddControl(const wchar_t* windowClass, const std::string& text,
                                    DWORD style, int id) {
    HWND control = CreateWindowExW(
        0, windowClass, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, SendMessageW(dialog_, WM_GETFONT, 0, 0), FALSE);
    return control;
}

// Controls in tab order: the label (which takes no focus), No, Yes, then the picture.
void ExitQuestionDialog::LayOut() {
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    label_ = AddControl(L"STATIC", question_, SS_LEFT | SS_NOPREFIX, kLabelId);
    no_ = AddControl(L"BUTTON", "&No", WS_TABSTOP | BS_DEFPUSHBUTTON, IDNO);
    yes_ = AddControl(L"BUTTON", "&Yes", WS_TABSTOP | BS_PUSHBUTTON, IDYES);
    image_ = AddControl(L"STATIC", "", SS_ICON | SS_REALSIZECONTROL, kImageId);

    RECT frame{0, 0, ToPixels(kClientWidthTwips, dpi_), ToPixels(kClientHeightTwips, dpi_)};
    AdjustWindowRectEx(&frame, kDialogStyle, FALSE, 0);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(dialog_, HWND_TOP, (work.left + work.right - width) / 2,
                 (work.top + work.bottom - height) / 2, width, height, 0);
    PlaceControls();
    SendMessageW(dialog_, DM_SETDEFID, IDNO, 0);
    SetFocus(no_);
}

// Positions, font and pictures at the current DPI; runs again when the DPI changes.
void ExitQuestionDialog::PlaceControls() {
    auto place = [&](HWND control, const RECT& twips) {
        MoveWindow(control, ToPixels(twips.left, dpi_), ToPixels(twips.top, dpi_),
                   ToPixels(twips.right, dpi_), ToPixels(twips.bottom, dpi_), TRUE);
    };
    place(label_, kLabel);
    place(no_, kNoButton);
    place(yes_, kYesButton);
    place(image_, kImage);
    labelFont_.Reset(CreateFontW(-MulDiv(825, dpi_, 7200), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH, L"Microsoft Sans Serif"));
    SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.Get()), TRUE);

    int small = MulDiv(16, dpi_, 96);
    SendMessageW(no_, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(ProgramIcon(kUpImageId, small, small)));
    SendMessageW(yes_, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(ProgramIcon(kTickImageId, small, small)));
    HICON question =
        ProgramIcon(kQuestionImageId, ToPixels(kImage.right, dpi_), ToPixels(kImage.bottom, dpi_));
    SendMessageW(image_, STM_SETICON, reinterpret_cast<WPARAM>(question), 0);
}

}  // namespace iconlane::win32
