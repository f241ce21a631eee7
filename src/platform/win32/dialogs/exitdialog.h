// frmExit: the modal question "Exit Iconlane?" with its Yes and No buttons.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

// One showing of the question. Each dialog loop keeps its own controls and answer: a question
// asked again after an answer, while the answered one's loop is still on the stack below a modal
// window, shares nothing with it.
class ExitQuestionDialog {
public:
    ExitQuestionDialog(const std::string& question, ExitAnswered answered)
        : question_(question), answered_(std::move(answered)) {}

    // Shows the dialog modally until its loop unwinds; a failure of `answered` is raised here
    // then, never through the window system.
    void Run();
    HWND Handle() const { return dialog_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Answer(ExitAnswer answer);
    void LayOut();
    void PlaceControls();
    HWND AddControl(const wchar_t* windowClass, const std::string& text, DWORD style, int id);

    HWND dialog_ = nullptr;
    HWND label_ = nullptr;
    HWND no_ = nullptr;
    HWND yes_ = nullptr;
    HWND image_ = nullptr;
    int dpi_ = 96;
    std::string question_;
    ExitAnswered answered_;
    bool hasAnswer_ = false;
    std::exception_ptr failure_;
    UniqueFont labelFont_;
};

class Win32ExitDialog final : public ExitDialog {
public:
    void Ask(const std::string& question, const ExitAnswered& answered) override;

private:
    ExitQuestionDialog* unanswered_ = nullptr;  // the question waiting for its answer, if any
};

// The in-memory dialog template: caption, frame and font, without controls (they are created at
// run time, where their twip positions are converted to pixels at the screen's DPI).
std::vector<WORD> ExitDialogTemplate();

}  // namespace iconlane::win32
