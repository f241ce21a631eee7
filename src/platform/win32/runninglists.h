// One Iconlane per list for each user and session: a named mutex claims a list, and the tray
// window of the program that holds it hears a later start's hand-over.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/services.h"
#include "platform/win32/system/folderwatch.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/windowsystem.h"

namespace iconlane::win32 {

inline constexpr const wchar_t* kEndNowMessage = L"IconlaneEndNow";

// The hand-over is a registered message sent to every tray window of the session with the
// list's code in wParam; only the program that claimed that list takes it, and says so. The holder
// makes its tray window as it claims the list, and answers from then on, a message box of its own
// start included; a holder that has not answered within a few seconds hangs. The request to end is
// another registered message, kEndNowMessage, which every tray window answers; a sender uses
// SendMessageTimeout (a broadcast does), so that an Iconlane that hangs holds nobody up.
class Win32RunningLists final : public RunningLists, public LoopWaitable {
public:
    // A hand-over waits `answerMs` at most for the holder's answer.
    explicit Win32RunningLists(Win32WindowSystem& windows, DWORD answerMs = 5000);

    bool Claim(const std::string& key, std::function<void()> handedOver) override;
    bool HandOver(const std::string& key) override;
    void WhenAskedToEnd(std::function<void()> end) override;

    // A hand-over that arrived is served by the program's own loop only.
    DWORD Handles(HANDLE (&)[kMaxLoopHandles]) const override { return 0; }
    DWORD WaitTime() const override { return pending_ ? 0 : INFINITE; }
    void OnSignalled(HANDLE) override {}
    void OnTimeout() override;

private:
    Win32WindowSystem& windows_;
    const UINT message_;
    const DWORD answerMs_;
    UniqueKernel claim_;  // held for the process's life: its end frees the name
    std::uint32_t code_ = 0;
    std::function<void()> handedOver_;
    bool pending_ = false;
};

}  // namespace iconlane::win32
