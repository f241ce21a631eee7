#include "platform/win32/menus/shellmenu.h"

#include <utility>

#include "platform/win32/dialogs/renameprompt.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

// Whether `inner` is `menu` or lies anywhere below it.
bool MenuHolds(HMENU menu, HMENU inner) {
    if (menu == inner) return true;
    for (int n = 0, count = GetMenuItemCount(menu); n < count; ++n) {
        HMENU sub = GetSubMenu(menu, n);
        if (sub != nullptr && MenuHolds(sub, inner)) return true;
    }
    return false;
}

}  // namespace

ShellItemMenu::ShellItemMenu(std::string path) : path_(std::move(path)) {}

std::unique_ptr<ShellItemMenu> ShellItemMenu::For(const std::string& path) {
    PIDLIST_ABSOLUTE item = nullptr;
    if (FAILED(SHParseDisplayName(Wide(path).c_str(), nullptr, &item, 0, nullptr))) return nullptr;
    std::unique_ptr<ShellItemMenu> shellMenu(new ShellItemMenu(path));
    ComRef<IShellFolder> folder;
    PCUITEMID_CHILD child = nullptr;
    bool made = SUCCEEDED(SHBindToParent(item, IID_IShellFolder, folder.ReceiveAny(), &child)) &&
                SUCCEEDED(folder->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr,
                                                shellMenu->menu_.ReceiveAny()));
    ILFree(item);
    if (!made) return nullptr;
    // The newer interfaces fill and draw the sub-menus the shell adds (Send to, Open with).
    shellMenu->menu_->QueryInterface(IID_IContextMenu3, shellMenu->menu3_.ReceiveAny());
    shellMenu->menu_->QueryInterface(IID_IContextMenu2, shellMenu->menu2_.ReceiveAny());
    return shellMenu;
}

bool ShellItemMenu::Fill(HMENU menu, UINT first, UINT last, bool extended) {
    // Rename is asked for: outside a folder's window the shell leaves it out otherwise.
    UINT flags = CMF_NORMAL | CMF_CANRENAME | (extended ? CMF_EXTENDEDVERBS : 0);
    HRESULT added = menu_->QueryContextMenu(menu, 0, first, last, flags);
    if (FAILED(added) || HRESULT_CODE(added) == 0) return false;
    filled_ = menu;
    first_ = first;
    last_ = last;
    return true;
}

bool ShellItemMenu::Holds(HMENU menu) const {
    return filled_ != nullptr && MenuHolds(filled_, menu);
}

bool ShellItemMenu::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    LRESULT answer = 0;
    if (menu3_.Get() != nullptr) {
        if (FAILED(menu3_->HandleMenuMsg2(message, wParam, lParam, &answer))) return false;
        result = answer;
        return true;
    }
    if (menu2_.Get() == nullptr || message == WM_MENUCHAR ||
        FAILED(menu2_->HandleMenuMsg(message, wParam, lParam))) {
        return false;
    }
    result = message == WM_INITMENUPOPUP ? 0 : TRUE;
    return true;
}

std::wstring ShellItemMenu::VerbOf(UINT offset) {
    wchar_t verb[64] = {};
    if (FAILED(menu_->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(verb),
                                       ARRAYSIZE(verb) - 1))) {
        return {};
    }
    return verb;
}

bool ShellItemMenu::Invoke(UINT id, HWND owner, POINT at, HeldKeys keys) {
    if (!Owns(id)) return false;
    UINT offset = id - first_;
    if (CompareStringOrdinal(VerbOf(offset).c_str(), -1, L"rename", -1, TRUE) == CSTR_EQUAL) {
        RenameWithPrompt(owner, path_);
        return true;
    }
    CMINVOKECOMMANDINFOEX info{};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE |
                 (keys.control ? CMIC_MASK_CONTROL_DOWN : 0) |
                 (keys.shift ? CMIC_MASK_SHIFT_DOWN : 0);
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.lpVerbW = MAKEINTRESOURCEW(offset);
    info.nShow = SW_SHOWNORMAL;
    info.ptInvoke = at;
    return SUCCEEDED(menu_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
}

}  // namespace iconlane::win32
