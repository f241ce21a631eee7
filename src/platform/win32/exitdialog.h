// frmExit: the modal question "Exit Iconlane?" with its Yes and No buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/win32/handles.h"

namespace iconlane::win32 {

class Win32ExitDialog final : public ExitDialog {
public:
    ExitAnswer Ask(const std::string& question) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void LayOut();
    void PlaceControls();
    HWND AddControl(const char* windowClass, const char* text, DWORD style, int id);

    HWND dialog_ = nullptr;  // the open dialog, null while none is open
    HWND label_ = nullptr;
    HWND no_ = nullptr;
    HWND yes_ = nullptr;
    HWND image_ = nullptr;
    int dpi_ = 96;
    std::string question_;
    UniqueFont labelFont_;
};

// The in-memory dialog template: caption, frame and font, without controls (they are created at
// run time, where their twip positions are converted to pixels at the screen's DPI).
std::vector<WORD> ExitDialogTemplate();

}  // namespace iconlane::win32
