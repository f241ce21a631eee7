// marker.exe, the target of the icons in the end-to-end scenarios: every start appends one line
// to launches.txt beside the exe, so the file's line count is the number of launches.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\') --length;
    const char name[] = "launches.txt";
    if (length == 0 || length + sizeof name > MAX_PATH) return 1;
    lstrcpyA(path + length, name);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const char line[] = "launched\r\n";
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line, sizeof line - 1, &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
