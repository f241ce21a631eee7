// A DLL that must never be loaded: on loading it writes "loaded.txt" beside itself and refuses to
// stay. good_citizen_test plants it as msftedit.dll where a careless program would pick it up.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\') --length;
    const char name[] = "loaded.txt";
    if (length == 0 || length + sizeof name > MAX_PATH) return FALSE;
    lstrcpyA(path + length, name);
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return FALSE;
}
