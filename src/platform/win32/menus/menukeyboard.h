// The keyboard for a pop-up menu of the program's hidden window. Windows hands keys to the
// foreground thread, whatever its windows show. Under Wine they come from the X server, which
// hands each one to the X window that has its input focus, and Wine moves that focus only to a
// window activated while it shows: a menu of a hidden window never gets a key typed on the
// keyboard itself (keys sent with SendInput skip the X server and still come).
#pragma once

#include <windows.h>

namespace iconlane::win32 {

class MenuKeyboard {
public:
    // Where keys come from the X server, shows `window`, a pop-up of no size (nothing appears
    // and nothing goes to the task bar), at `at` until the object goes, so that activating it
    // brings the keyboard; elsewhere it does nothing.
    MenuKeyboard(HWND window, POINT at);
    // Hidden again without another window activated: the focus stays as it was before.
    ~MenuKeyboard();
    MenuKeyboard(const MenuKeyboard&) = delete;
    MenuKeyboard& operator=(const MenuKeyboard&) = delete;

private:
    HWND shown_ = nullptr;
};

}  // namespace iconlane::win32
