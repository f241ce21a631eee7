#include "platform/win32/menus/menusession.h"

#include <set>
#include <string_view>
#include <utility>

#include "platform/win32/menus/menubitmap.h"
#include "platform/win32/system/runtime.h"
#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

using Kind = MenuEntry::Kind;

// Each shell menu gets ids of its own, so that a chosen id tells which menu made it.
constexpr UINT kShellIdsSize = 0x800;
constexpr UINT kShellIdRanges = (0x10000 - (kLastItemId + 1)) / kShellIdsSize;
constexpr UINT kMenuGetHandle = 0x01E1;  // MN_GETHMENU: the menu a #32768 window shows

// The program's own menus draw their pictures where check marks would go: none of their items
// is ever checked. The shell's menus keep both.
HMENU NewMenu(Kind kind) {
    HMENU menu = CreatePopupMenu();
    MENUINFO style{};
    style.cbSize = sizeof style;
    style.fMask = MIM_STYLE;
    style.dwStyle = MNS_CHECKORBMP;
    if (menu != nullptr && kind != Kind::kShellMenu) SetMenuInfo(menu, &style);
    return menu;
}

bool HasMenu(Kind kind) {
    return kind == Kind::kFolder || kind == Kind::kShellMenu || kind == Kind::kSubmenu;
}

// An empty folder (or a shell with nothing to offer) shows a line saying so, as Explorer's
// menus do: a menu without items would open as a sliver.
MenuEntry EmptyMarker() {
    MenuEntry entry;
    entry.caption = "(Empty)";
    entry.enabled = false;
    return entry;
}

BOOL CALLBACK AddIfMenu(HWND window, LPARAM found) {
    if (IsMenuWindow(window) && IsWindowVisible(window)) {
        reinterpret_cast<std::map<HMENU, HWND>*>(found)->emplace(MenuShownBy(window), window);
    }
    return TRUE;
}

}  // namespace

bool IsMenuWindow(HWND window) {
    wchar_t name[8] = {};
    return window != nullptr && GetClassNameW(window, name, ARRAYSIZE(name)) &&
           std::wstring_view(name) == L"#32768";
}

HMENU MenuShownBy(HWND window) {
    return reinterpret_cast<HMENU>(SendMessageW(window, kMenuGetHandle, 0, 0));
}

std::map<HMENU, HWND> OpenMenuWindows() {
    std::map<HMENU, HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), AddIfMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

HeldKeys KeysHeldNow() {
    return {(GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0,
            (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0};
}

MenuSession::MenuSession(const MenuRequest& request, MenuPictureCache& pictures,
                         const ShellMenuMaker& makeShellMenu, int pixels, HBITMAP placeholder)
    : request_(request),
      pictures_(pictures),
      makeShellMenu_(makeShellMenu),
      pixels_(pixels),
      placeholder_(placeholder),
      asker_(pictures.NewAsker()),
      root_(NewMenu(Kind::kSubmenu)) {
    menus_[root_.Get()] = {};
    Fill(root_.Get(), request.items);
}

MenuSession::~MenuSession() {
    pictures_.Drop(asker_);
}

void MenuSession::Fill(HMENU menu, const std::vector<MenuEntry>& entries) {
    UINT position = 0;
    for (const MenuEntry& entry : entries) Insert(menu, position++, entry);
    if (entries.empty()) Insert(menu, 0, EmptyMarker());
}

void MenuSession::Insert(HMENU menu, UINT position, const MenuEntry& entry) {
    std::size_t index =
        NewItem({entry.kind, entry.command, entry.path, menu, position, entry.picture, false, {}});
    std::wstring caption = Wide(entry.caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
    info.dwItemData = index;
    bool chosen = entry.kind == Kind::kCommand || entry.kind == Kind::kFile;
    info.wID = chosen && index < kLastItemId ? static_cast<UINT>(index + 1) : 0;
    if (entry.kind == Kind::kSeparator) {
        info.fType = MFT_SEPARATOR;
    } else {
        info.fMask |= MIIM_STRING | MIIM_BITMAP;
        info.dwTypeData = caption.data();
        info.fState = entry.enabled && (info.wID != 0 || !chosen) ? MFS_ENABLED : MFS_GRAYED;
        info.hbmpItem = PictureFor(*items_[index]);
    }
    if (HasMenu(entry.kind)) {
        HMENU sub = NewMenu(entry.kind);
        menus_[sub] = {entry.kind, entry.path, {}, {}, 0};
        menus_[menu].children.push_back(sub);
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = sub;
        // A folder and the shell's menu are filled when they open: an arrow is all they need.
        if (entry.kind == Kind::kSubmenu) Fill(sub, entry.children);
    }
    InsertMenuItemW(menu, position, TRUE, &info);
    menus_[menu].items.push_back(index);
}

std::size_t MenuSession::NewItem(Item item) {
    if (freeItems_.empty()) {
        items_.push_back(std::move(item));
        return items_.size() - 1;
    }
    std::size_t index = freeItems_.back();
    freeItems_.pop_back();
    items_[index] = std::move(item);
    return index;
}

// Takes the menu's items out (their sub-menus go with them), then forgets them: a picture no
// item shows any more may go.
void MenuSession::Empty(HMENU menu) {
    Menu& record = menus_.at(menu);
    for (HMENU child : record.children) {
        Empty(child);
        menus_.erase(child);
    }
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    for (std::size_t index : record.items) {
        items_[index].reset();
        freeItems_.push_back(index);
    }
    if (record.shellIds != 0) shellMenus_.erase(record.shellIds);
    record = {record.kind, record.path, {}, {}, 0};
}

bool MenuSession::OnOpening(HMENU menu) {
    auto found = menus_.find(menu);
    if (found == menus_.end()) return false;
    const std::string path = found->second.path;
    if (found->second.kind == Kind::kFolder) {
        Empty(menu);
        FillFolder(menu, path);
    } else if (found->second.kind == Kind::kShellMenu) {
        Empty(menu);
        FillShellMenu(menu, path);
    }
    return true;
}

void MenuSession::FillFolder(HMENU menu, const std::string& folder) {
    std::vector<MenuEntry> entries;
    try {
        if (request_.folderItems) entries = request_.folderItems(folder);
    } catch (...) {
        ReportUnexpectedFailure();
    }
    Fill(menu, entries);
}

void MenuSession::FillShellMenu(HMENU menu, const std::string& path) {
    UINT first = FreeShellIds();
    if (AddShellMenu(path, menu, KeysHeldNow().shift) != nullptr) {
        menus_[menu].shellIds = first;
    } else {
        Fill(menu, {});
    }
}

ShellItemMenu* MenuSession::AddShellMenu(const std::string& path, HMENU menu, bool extended) {
    UINT first = FreeShellIds();
    std::unique_ptr<ShellItemMenu> shellMenu = first != 0 ? makeShellMenu_(path) : nullptr;
    if (shellMenu == nullptr ||
        !shellMenu->Fill(menu, first, first + kShellIdsSize - 1, extended)) {
        return nullptr;
    }
    return (shellMenus_[first] = std::move(shellMenu)).get();
}

void MenuSession::RemoveShellMenu(const ShellItemMenu* shellMenu) {
    std::erase_if(shellMenus_, [&](const auto& made) { return made.second.get() == shellMenu; });
}

UINT MenuSession::FreeShellIds() const {
    for (UINT range = 0; range < kShellIdRanges; ++range) {
        UINT first = kLastItemId + 1 + range * kShellIdsSize;
        if (!shellMenus_.contains(first)) return first;
    }
    return 0;
}

ShellItemMenu* MenuSession::ShellMenuOf(UINT id) const {
    for (const auto& [first, shellMenu] : shellMenus_) {
        if (shellMenu->Owns(id)) return shellMenu.get();
    }
    return nullptr;
}

ShellItemMenu* MenuSession::ShellMenuHolding(HMENU menu) const {
    for (const auto& [first, shellMenu] : shellMenus_) {
        if (shellMenu->Holds(menu)) return shellMenu.get();
    }
    return nullptr;
}

bool MenuSession::ForwardToShell(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    ShellItemMenu* target = nullptr;
    if (message == WM_INITMENUPOPUP) {
        target = ShellMenuHolding(reinterpret_cast<HMENU>(wParam));
    } else if (message == WM_MENUCHAR) {
        target = ShellMenuHolding(reinterpret_cast<HMENU>(lParam));
    } else if (message == WM_DRAWITEM) {
        auto* drawing = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (drawing->CtlType == ODT_MENU) target = ShellMenuOf(drawing->itemID);
    } else if (message == WM_MEASUREITEM) {
        auto* measuring = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (measuring->CtlType == ODT_MENU) target = ShellMenuOf(measuring->itemID);
    }
    return target != nullptr && target->HandleMenuMessage(message, wParam, lParam, result);
}

HBITMAP MenuSession::PictureFor(Item& item) {
    if (!item.picture.path.empty()) {
        MenuPictureCache::Found found =
            pictures_.Find(item.picture.path, item.picture.stamp, pixels_, asker_);
        item.waiting = found.state == MenuPictureCache::State::kComing;
        item.shown = std::move(found.picture);
        if (item.shown) return item.shown->Get();
        if (item.waiting && item.picture.icon == 0) return placeholder_;
    }
    return IconPicture(item.picture.icon);
}

HBITMAP MenuSession::IconPicture(std::uintptr_t icon) {
    if (icon == 0) return nullptr;
    UniqueBitmap& picture = iconPictures_[icon];
    if (!picture.Valid()) picture = ForMenus(MenuBitmapOf(reinterpret_cast<HICON>(icon), pixels_));
    return picture.Get();
}

void MenuSession::OnPicturesCame() {
    pictures_.Noticed();
    std::set<HMENU> changed;
    for (std::optional<Item>& item : items_) {
        if (!item || !item->waiting) continue;
        MenuPictureCache::Found found = pictures_.Look(item->picture.path, pixels_);
        if (found.state == MenuPictureCache::State::kComing) continue;
        item->waiting = false;
        item->shown = std::move(found.picture);
        HBITMAP picture = item->shown ? item->shown->Get() : IconPicture(item->picture.icon);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = picture;
        SetMenuItemInfoW(item->menu, item->position, TRUE, &info);
        changed.insert(item->menu);
    }
    // The menus draw a changed picture only when asked to.
    for (const auto& [menu, window] : OpenMenuWindows()) {
        if (changed.contains(menu)) InvalidateRect(window, nullptr, TRUE);
    }
}

std::string MenuSession::PathAt(HMENU menu, int position) const {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (position < 0 || !menus_.contains(menu) ||
        !GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) ||
        info.dwItemData >= items_.size() || !items_[info.dwItemData]) {
        return {};
    }
    const Item& item = *items_[info.dwItemData];
    return item.kind == Kind::kFile || item.kind == Kind::kFolder ? item.path : std::string();
}

void MenuSession::Choose(UINT id, MenuChoice& choice) const {
    if (id == 0 || id > kLastItemId || id > items_.size() || !items_[id - 1]) return;
    const Item& item = *items_[id - 1];
    if (item.kind == Kind::kCommand) choice.command = item.command;
    if (item.kind == Kind::kFile) choice.path = item.path;
}

}  // namespace iconlane::win32
