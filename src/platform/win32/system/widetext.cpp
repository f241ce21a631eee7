#include "platform/win32/system/widetext.h"

#include <windows.h>

namespace iconlane::win32 {

std::wstring Wide(std::string_view text) {
    return WideFromCodePage(text, CP_UTF8);
}

std::wstring WideFromCodePage(std::string_view bytes, unsigned codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    }
    return narrow;
}

std::string NarrowBuffer(const wchar_t* buffer, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && buffer[length] != L'\0') ++length;
    return Narrow(std::wstring_view(buffer, length));
}

}  // namespace iconlane::win32
