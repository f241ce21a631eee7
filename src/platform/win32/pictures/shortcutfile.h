// Writing a new shortcut (.lnk) file through the shell's own shortcut object.
#pragma once

#include <windows.h>

#include <string>

namespace iconlane::win32 {

using CreateComInstance = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// Writes a shortcut at `path` that opens `target`, started in the target's folder, with objects
// from `create` (COM started on this thread). The name is taken first by a file made only where
// there is none, so that nothing is ever overwritten: where something has the name, it fails with
// 58 (file already exists). A shortcut the shell cannot write gives the name up again.
void SaveNewShortcut(CreateComInstance create, const std::string& path, const std::string& target);

}  // namespace iconlane::win32
