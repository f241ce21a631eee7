#include "platform/win32/runninglists.h"

#include <algorithm>
#include <memory>

#include "platform/win32/system/sessionlock.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

constexpr const wchar_t* kHandOverMessage = L"IconlaneHandOver";
// The holder's answer; any other tray window answers 0.
constexpr LRESULT kTaken = 1;
// At most this long for one window, so that an Iconlane of another list that hangs cannot keep
// the request from the holder.
constexpr UINT kWindowAnswerMs = 1000;

// What travels in wParam: 32 bits (a 32-bit sender gives a 64-bit holder them whole) of the
// claim's name, so that another user's Iconlane in the session does not take it for its own.
std::uint32_t CodeOf(const std::string& key) {
    return static_cast<std::uint32_t>(HashOf(Narrow(ClaimName(key))));
}

}  // namespace

Win32RunningLists::Win32RunningLists(Win32WindowSystem& windows, DWORD answerMs)
    : windows_(windows), message_(RegisterWindowMessageW(kHandOverMessage)), answerMs_(answerMs) {
    windows_.AddWaitable(*this);
}

// A mutex that exists but cannot be opened belongs to an Iconlane running elevated: it holds the
// list as well. Any other failure leaves the list to this start: two sets of icons are better
// than none.
bool Win32RunningLists::Claim(const std::string& key, std::function<void()> handedOver) {
    UniqueKernel mutex(CreateMutexW(nullptr, FALSE, ClaimName(key).c_str()));
    DWORD error = GetLastError();
    if (!mutex.Valid() && error == ERROR_ACCESS_DENIED) return false;
    if (mutex.Valid() && error == ERROR_ALREADY_EXISTS) return false;
    claim_ = std::move(mutex);
    code_ = CodeOf(key);
    handedOver_ = std::move(handedOver);
    windows_.ListenOnTray({message_, [this](WPARAM code) -> LRESULT {
                               if (static_cast<std::uint32_t>(code) != code_) return 0;
                               pending_ = true;
                               return kTaken;
                           }});
    return true;
}

// Asked again until the time is up: a holder still starting may have no window yet, and one busy
// reading its list answers once it is done.
bool Win32RunningLists::HandOver(const std::string& key) {
    if (message_ == 0) return true;
    const ULONGLONG end = GetTickCount64() + answerMs_;
    for (ULONGLONG now; (now = GetTickCount64()) < end; Sleep(100)) {
        const auto wait = static_cast<UINT>(std::min<ULONGLONG>(end - now, kWindowAnswerMs));
        for (HWND window = nullptr;
             (window = FindWindowExW(nullptr, window, kTrayWindowClassName, nullptr)) != nullptr;) {
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(window, message_, CodeOf(key), 0, SMTO_ABORTIFHUNG, wait,
                                    &answer) &&
                answer == kTaken) {
                return true;
            }
        }
    }
    return false;
}

void Win32RunningLists::WhenAskedToEnd(std::function<void()> end) {
    windows_.ListenOnTray(
        {RegisterWindowMessageW(kEndNowMessage), [end = std::move(end)](WPARAM) -> LRESULT {
             end();
             return 0;
         }});
}

void Win32RunningLists::OnTimeout() {
    if (!pending_) return;
    pending_ = false;
    if (handedOver_) handedOver_();
}

}  // namespace iconlane::win32
