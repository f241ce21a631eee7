// COM or OLE started on the calling thread for as long as the object lives, with ole32 loaded for
// it: the program loads the library only where a part of it needs the shell's objects, so that a
// start without them pays nothing.
#pragma once

#include <windows.h>

namespace iconlane::win32 {

class ComApartment {
public:
    // OLE is COM plus what the shell's menus need of it: the clipboard that Cut and Copy use.
    enum class Kind { kCom, kOle };
    explicit ComApartment(Kind kind);
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // False when the library or the apartment could not be had: the shell's objects then fail.
    bool Started() const { return started_; }

private:
    Kind kind_;
    HMODULE ole32_ = nullptr;
    bool started_ = false;
};

// Hands what Cut or Copy in a shell menu put on the clipboard to the clipboard itself, so that it
// can still be pasted once the program has ended; nothing where OLE never started on this thread.
// Every way out calls it: an OLE apartment ending, and the process ending at once.
void FlushOleClipboard();

}  // namespace iconlane::win32
