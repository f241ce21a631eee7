// Rename from a menu: the shell renames an item only inside a folder's window, in place, so the
// menus ask for the new name in a small box of their own and let the shell do the renaming.
#pragma once

#include <windows.h>

#include <string>

namespace iconlane::win32 {

// Asks for a new name of the file or folder `path` (its name without the extension selected, as
// Explorer does) and renames it with the shell's file operation, whose own messages report a name
// taken or refused. Returns when it is done or cancelled.
void RenameWithPrompt(HWND owner, const std::string& path);

}  // namespace iconlane::win32
