// Move-only owners for Win32 handles: each handle is released exactly once, by its owner.
#pragma once

#include <windows.h>

#include <utility>

namespace iconlane::win32 {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = other.Release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return handle_; }
    bool Valid() const { return Traits::IsValid(handle_); }
    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(handle_)) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};

struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool IsValid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static bool IsValid(HWND h) { return h != nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
};

struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

// Kernel objects that answer null on failure: mutexes, events, processes.
struct KernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};

struct FontTraits {
    static HFONT Invalid() { return nullptr; }
    static bool IsValid(HFONT h) { return h != nullptr; }
    static void Close(HFONT h) { DeleteObject(h); }
};

struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};

struct BitmapTraits {
    static HBITMAP Invalid() { return nullptr; }
    static bool IsValid(HBITMAP h) { return h != nullptr; }
    static void Close(HBITMAP h) { DeleteObject(h); }
};

struct HookTraits {
    static HHOOK Invalid() { return nullptr; }
    static bool IsValid(HHOOK h) { return h != nullptr; }
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};

struct LibraryTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

using UniqueBitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using UniqueHook = UniqueHandle<HHOOK, HookTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueKey = UniqueHandle<HKEY, KeyTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;
using UniqueKernel = UniqueHandle<HANDLE, KernelTraits>;
using UniqueLibrary = UniqueHandle<HMODULE, LibraryTraits>;

// Releases a COM interface it was handed, once.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface& operator*() const { return *pointer_; }
    void** ReceiveAny() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace iconlane::win32
