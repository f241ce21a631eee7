#include "tray/trayicons.h"

#include <algorithm>

#include "platform/textrules.h"

namespace iconlane {

std::array<char, kTrayTipLength> FormTip(const std::string& text) {
    std::array<char, kTrayTipLength> tip;
    tip.fill(' ');
    std::string withZero = std::string(CutAtCharacter(text, tip.size())) + '\0';
    std::copy_n(withZero.begin(), std::min(withZero.size(), tip.size()), tip.begin());
    return tip;
}

// The fixed fields are set from the start, so that even a delete before any add is well formed.
TrayIcons::TrayIcons(TrayShell& shell) : shell_(shell) {
    record_.cbSize = kTrayRecordSize;
    record_.uFlags = kTrayFlags;
    record_.uCallbackMessage = kTrayCallbackMessage;
    record_.uVersion = kTrayVersion;
}

void TrayIcons::Fill(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                     const std::string& tooltip) {
    record_.cbSize = kTrayRecordSize;
    record_.hWnd = window;
    record_.uID = id;
    record_.uFlags = kTrayFlags;
    record_.uCallbackMessage = kTrayCallbackMessage;
    record_.hIcon = icon;
    record_.szTip = FormTip(tooltip);
}

bool TrayIcons::AddIcon(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                        const std::string& tooltip) {
    if (beforeAdd_) beforeAdd_();
    Fill(window, id, icon, tooltip);
    if (!shell_.NotifyIcon(TrayOperation::kAdd, record_)) return false;
    Count(window, id);
    return true;
}

// The shell keeps a version only for an icon it has, so every icon that comes asks again.
void TrayIcons::Count(std::uintptr_t window, std::uint32_t id) {
    bool counted = !idsInTray_.insert(id).second;
    if (holdVersions_) {
        heldVersions_.emplace_back(window, id);
    } else {
        AskForVersion(window, id);
    }
    if (!counted && counted_) counted_();
}

// An icon the shell took without saying so has no version yet, so the change asks for it too.
bool TrayIcons::AddOrChange(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                            const std::string& tooltip) {
    if (AddIcon(window, id, icon, tooltip)) return true;
    if (!ModifyIcon(window, id, icon, tooltip)) {
        idsInTray_.erase(id);  // the shell lost it: it no longer counts
        return false;
    }
    Count(window, id);
    return true;
}

void TrayIcons::AskForVersion(std::uintptr_t window, std::uint32_t id) {
    record_.hWnd = window;
    record_.uID = id;
    shell_.NotifyIcon(TrayOperation::kSetVersion, record_);
}

void TrayIcons::ReleaseVersions() {
    holdVersions_ = false;
    for (const auto& [window, id] : std::exchange(heldVersions_, {})) AskForVersion(window, id);
}

bool TrayIcons::ModifyIcon(std::uintptr_t window, std::uint32_t id, std::uintptr_t icon,
                           const std::string& tooltip) {
    Fill(window, id, icon, tooltip);
    return shell_.NotifyIcon(TrayOperation::kModify, record_);
}

void TrayIcons::RemoveTrayIcon(std::uintptr_t window, std::uint32_t id) {
    record_.hWnd = window;
    record_.uID = id;
    shell_.NotifyIcon(TrayOperation::kDelete, record_);
    idsInTray_.erase(id);
}

void TrayIcons::GiveFocusBack(std::uintptr_t window, std::uint32_t id) {
    record_.hWnd = window;
    record_.uID = id;
    shell_.NotifyIcon(TrayOperation::kSetFocus, record_);
}

}  // namespace iconlane
