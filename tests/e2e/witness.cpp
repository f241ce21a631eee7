// The launch witness. Built as marker.exe, every start appends "<show command> <command line>" to
// launches.txt beside it; built as a DLL and planted as msftedit.dll, a load appends "loaded".
#include <windows.h>

#include <string>

static void Witness(HMODULE self, const std::string& what) {
    char path[MAX_PATH];
    std::string file(path, GetModuleFileNameA(self, path, MAX_PATH));
    file = file.substr(0, file.rfind('\\')) + "\\launches.txt";
    HANDLE out = CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, 0, OPEN_ALWAYS, 0, 0);
    DWORD written = 0;
    WriteFile(out, (what + "\r\n").c_str(), DWORD(what.size() + 2), &written, nullptr);
    CloseHandle(out);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Witness(self, "loaded");
    return FALSE;  // and refuses to stay
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1;
    Witness(nullptr, std::to_string(show) + " " + GetCommandLineA());
    return 0;
}
