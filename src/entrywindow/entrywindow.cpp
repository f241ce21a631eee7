#include "entrywindow/entrywindow.h"

#include <vector>

namespace iconlane {
namespace {

const std::vector<std::string>& MenuCaptions() {
    static const std::vector<std::string> captions = {"Launch!", "-", "Cancel Menu",  "-",
                                                      "Help...", "-", "Exit Iconlane"};
    return captions;
}

}  // namespace

EntryWindow::EntryWindow(Services& services, TrayIcons& tray, UnloadedCallback onUnloaded)
    : tray_(tray), onUnloaded_(std::move(onUnloaded)), picture2_(services.pictures.UpImage()) {
    window_ = services.windows.CreateHiddenWindow("frmTL", MenuCaptions(), *this);
    handle_ = window_->Handle();
}

EntryWindow::~EntryWindow() {
    // Releasing the window unloads it like any other unload, so its tray icon never outlives it.
    Unload();
}

void EntryWindow::SetMenuItemEnabled(int item, bool enabled) {
    if (Loaded()) window_->SetMenuItemEnabled(item, enabled);
}

bool EntryWindow::MenuItemEnabled(int item) const {
    return Loaded() && window_->MenuItemEnabled(item);
}

int EntryWindow::ShowPopupMenu() {
    return Loaded() ? window_->ShowPopupMenu() : 0;
}

void EntryWindow::SetFadeTimerEnabled(bool enabled) {
    if (!Loaded()) return;
    window_->SetTimer(enabled, kBlinkIntervalMs);
    fadeTimerEnabled_ = enabled;
}

std::uintptr_t EntryWindow::ShownIconHandle() const {
    return fadeTimerEnabled_ && blinkPhase_ ? Picture2Handle() : Picture1Handle();
}

void EntryWindow::SetTrayRetryTimerEnabled(bool enabled) {
    if (Loaded()) window_->SetRetryTimer(enabled, kTrayRetryIntervalMs);
}

void EntryWindow::OnRetryTimer() {
    if (handler_) handler_->OnIconLost(*this);
}

void EntryWindow::OnTaskbarCreated() {
    if (handler_) handler_->OnIconLost(*this);
}

void EntryWindow::OnTrayMessage(int mouseMessage) {
    if (handler_) handler_->OnTrayMessage(*this, mouseMessage);
}

void EntryWindow::OnTimer() {
    if (handler_) handler_->OnBlinkTick(*this);
}

void EntryWindow::Unload() {
    if (Loaded()) window_->Unload();
}

// Runs for every unload, also when the window system closes the window on its own.
void EntryWindow::OnUnload() {
    if (unloaded_) return;
    unloaded_ = true;
    tray_.RemoveTrayIcon(handle_);
    if (onUnloaded_) onUnloaded_(*this);
}

}  // namespace iconlane
