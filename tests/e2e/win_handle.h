// Small owners for the kernel and GDI objects the end-to-end probes open, so that no early return
// or failed assertion leaks a process handle, a page in another process or a device context.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

namespace e2e {

// A kernel handle closed with CloseHandle.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

    void reset(HANDLE handle = nullptr) {
        if (*this) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// Memory committed in another process, released with VirtualFreeEx. The process handle is borrowed
// and must outlive the buffer.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
          size_(size) {}
    ~RemoteBuffer() {
        if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    std::size_t size() const { return size_; }

    // Address, as the other process sees it, of the byte at the given offset.
    void* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }

    bool write(std::size_t offset, const void* data, std::size_t bytes) const {
        return offset + bytes <= size_ &&
               WriteProcessMemory(process_, at(offset), data, bytes, nullptr);
    }
    bool read(std::size_t offset, void* data, std::size_t bytes) const {
        return offset + bytes <= size_ &&
               ReadProcessMemory(process_, at(offset), data, bytes, nullptr);
    }

private:
    HANDLE process_;
    void* address_;
    std::size_t size_;
};

// The screen's device context.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A memory device context compatible with another one.
class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A GDI object (bitmap, brush...) deleted with DeleteObject, selected into a DC while in scope.
class SelectedGdiObject {
public:
    SelectedGdiObject(HDC dc, HGDIOBJ object)
        : dc_(dc), object_(object), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedGdiObject() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
        if (object_ != nullptr) DeleteObject(object_);
    }
    SelectedGdiObject(const SelectedGdiObject&) = delete;
    SelectedGdiObject& operator=(const SelectedGdiObject&) = delete;
    explicit operator bool() const { return object_ != nullptr && previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ previous_;
};

}  // namespace e2e
