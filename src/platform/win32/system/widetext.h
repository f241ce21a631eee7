// The one place where the program's text (UTF-8) becomes the system's (UTF-16) and back. Every
// call into Windows takes its text through these, so that nothing depends on the process code page.
#pragma once

#include <string>
#include <string_view>

namespace iconlane::win32 {

// UTF-8 to UTF-16. Bytes that are no UTF-8 become U+FFFD, as the system converts them.
std::wstring Wide(std::string_view text);

// Bytes in a code page of the system (a legacy ANSI one, for text saved by older editors) to
// UTF-16; empty when the system knows no such code page.
std::wstring WideFromCodePage(std::string_view bytes, unsigned codePage);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view text);

// A zero-terminated UTF-16 buffer (as the system fills one) to UTF-8, up to its first zero.
std::string NarrowBuffer(const wchar_t* buffer, std::size_t capacity);

}  // namespace iconlane::win32
