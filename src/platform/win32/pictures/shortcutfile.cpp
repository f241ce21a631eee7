#include "platform/win32/pictures/shortcutfile.h"

// The shell's shortcut interfaces need the types of windows.h.
#include <objbase.h>
#include <shlobj.h>

#include "platform/errors.h"
#include "platform/win32/system/files.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

void TakeName(const std::wstring& path) {
    UniqueFile taken(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (taken.Valid()) return;
    DWORD error = GetLastError();
    throw RuntimeError(error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
                           ? kFileAlreadyExists
                           : FileErrorNumber(error));
}

}  // namespace

void SaveNewShortcut(CreateComInstance create, const std::string& path, const std::string& target) {
    const std::wstring widePath = Wide(path), wideTarget = Wide(target);
    if (widePath.empty() || wideTarget.empty()) throw RuntimeError(kBadFileName);
    TakeName(widePath);
    const std::wstring folder = wideTarget.substr(0, wideTarget.find_last_of(L"\\/") + 1);
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    HRESULT result =
        create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.ReceiveAny());
    if (SUCCEEDED(result)) result = link->SetPath(wideTarget.c_str());
    if (SUCCEEDED(result)) result = link->SetWorkingDirectory(folder.c_str());
    if (SUCCEEDED(result)) result = link->QueryInterface(IID_IPersistFile, file.ReceiveAny());
    if (SUCCEEDED(result)) result = file->Save(widePath.c_str(), TRUE);
    if (SUCCEEDED(result)) return;
    DeleteFileW(widePath.c_str());
    throw RuntimeError(kPathFileAccessError);
}

}  // namespace iconlane::win32
