// Finding top-level windows by what they are: their class, their process, their owner.
// EnumWindows lists hidden windows too, which is how the program's hidden entry windows are found.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

inline std::string classNameOf(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

inline DWORD processOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

namespace detail {

template <class Predicate>
struct WindowSearch {
    Predicate& wanted;
    std::vector<HWND> found;
};

template <class Predicate>
BOOL CALLBACK collectWanted(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch<Predicate>*>(context);
    if (search->wanted(window)) search->found.push_back(window);
    return TRUE;
}

}  // namespace detail

// The top-level windows, hidden ones included, for which `wanted(HWND)` is true, in z-order.
template <class Predicate>
std::vector<HWND> topLevelWindowsWhere(Predicate wanted) {
    detail::WindowSearch<Predicate> search{wanted, {}};
    EnumWindows(detail::collectWanted<Predicate>, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Top-level windows of a given class that belong to a process.
inline std::vector<HWND> windowsOfClass(DWORD processId, const std::string& className) {
    return topLevelWindowsWhere([&](HWND window) {
        return processOf(window) == processId && classNameOf(window) == className;
    });
}

}  // namespace e2e
