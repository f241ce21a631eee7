#include "platform/win32/system/comapartment.h"

#include <objbase.h>

namespace iconlane::win32 {
namespace {

using ComStart = HRESULT(WINAPI*)(LPVOID, DWORD);
using OleStart = HRESULT(WINAPI*)(LPVOID);
using Stop = void(WINAPI*)();
using Flush = HRESULT(WINAPI*)();

// The OLE apartments started on this thread and not ended yet.
thread_local int oleApartments = 0;

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

ComApartment::ComApartment(Kind kind) : kind_(kind) {
    ole32_ = LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (ole32_ == nullptr) return;
    // A thread already in an apartment of the same kind answers S_FALSE, which is counted too
    // and ended again like a start of our own.
    if (kind_ == Kind::kOle) {
        auto start = Lookup<OleStart>(ole32_, "OleInitialize");
        started_ = start != nullptr && SUCCEEDED(start(nullptr));
        oleApartments += started_ ? 1 : 0;
    } else {
        auto start = Lookup<ComStart>(ole32_, "CoInitializeEx");
        started_ = start != nullptr && SUCCEEDED(start(nullptr, COINIT_APARTMENTTHREADED));
    }
}

ComApartment::~ComApartment() {
    if (started_ && kind_ == Kind::kOle) {
        FlushOleClipboard();
        --oleApartments;
    }
    if (started_) {
        auto stop =
            Lookup<Stop>(ole32_, kind_ == Kind::kOle ? "OleUninitialize" : "CoUninitialize");
        if (stop != nullptr) stop();
    }
    if (ole32_ != nullptr) FreeLibrary(ole32_);
}

void FlushOleClipboard() {
    if (oleApartments == 0) return;
    auto flush = Lookup<Flush>(GetModuleHandleW(L"ole32.dll"), "OleFlushClipboard");
    if (flush != nullptr) flush();
}

}  // namespace iconlane::win32
