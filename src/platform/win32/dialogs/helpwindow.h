// frmHelp on Win32: a sizable top-level window with a read-only RichEdit box and an Ok button.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "platform/services.h"

namespace iconlane::win32 {

// A child control as proportional layout sees it, in twips at the screen's DPI.
class ChildControl final : public LayoutControl {
public:
    ChildControl(HWND control, int dpi) : control_(control), dpi_(dpi) {}
    float Left() const override;
    float Top() const override;
    float Width() const override;
    float Height() const override;
    void Move(float left, float top, float width) override;
    void SetHeight(float height) override;

private:
    RECT Bounds() const;  // in the parent's client pixels
    HWND control_;
    int dpi_;
};

class Win32HelpWindow final : public HelpWindowHost, private HelpSurface {
public:
    Win32HelpWindow() = default;
    ~Win32HelpWindow() override;
    Win32HelpWindow(const Win32HelpWindow&) = delete;
    Win32HelpWindow& operator=(const Win32HelpWindow&) = delete;

    bool ShowModal(HelpWindowEvents& events) override;

private:
    // The surface the program fills: the text box first, then the Ok button.
    int ControlCount() const override { return 2; }
    LayoutControl& ControlAt(int index) override;
    float InnerWidth() const override;
    float InnerHeight() const override;
    void SetTitle(const std::string& title) override;
    void LoadRichText(const std::string& path) override;
    void SetPlainText(const std::string& text) override;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateWindowAndControls();
    void RunModalLoop();
    void ChangeDpi(int dpi, const RECT& frame);

    HMODULE richEdit_ = nullptr;
    HWND window_ = nullptr;
    HWND textBox_ = nullptr;
    HWND okButton_ = nullptr;
    int dpi_ = 96;
    HelpWindowEvents* events_ = nullptr;  // set while the window is shown
    std::array<std::unique_ptr<ChildControl>, 2> controls_;
};

}  // namespace iconlane::win32
