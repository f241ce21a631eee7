#include "tray/entrywindow.h"

#include <exception>

#include "platform/errors.h"

namespace iconlane {

EntryWindow::EntryWindow(Services& services, TrayIcons& tray, std::uint32_t iconId,
                         UnloadedCallback onUnloaded)
    : dialogs_(services.dialogs),
      tray_(tray),
      onUnloaded_(std::move(onUnloaded)),
      picture2_(services.pictures.UpImage()) {
    menuEnabled_.fill(true);
    window_ = services.windows.CreateTraySlot(iconId, *this);
    handle_ = window_->Window();
    iconId_ = window_->Id();
}

EntryWindow::~EntryWindow() {
    // Releasing the window unloads it like any other unload, so its tray icon never outlives it.
    Unload();
}

void EntryWindow::SetMenuItemEnabled(int item, bool enabled) {
    if (Loaded()) menuEnabled_.at(static_cast<std::size_t>(item)) = enabled;
}

bool EntryWindow::MenuItemEnabled(int item) const {
    return Loaded() && menuEnabled_.at(static_cast<std::size_t>(item));
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

template <typename Event>
void EntryWindow::Guarded(Event event) {
    try {
        event();
    } catch (const std::exception&) {
        dialogs_.ShowMessage(EventFailureText(CurrentNumberedError()), MessageStyle::kExclamation,
                             "Iconlane");
    }
}

void EntryWindow::OnRetryTimer() {
    Guarded([this] {
        if (handler_) handler_->OnIconLost(*this, false);
    });
}

void EntryWindow::OnTaskbarCreated() {
    Guarded([this] {
        if (handler_) handler_->OnIconLost(*this, true);
    });
}

void EntryWindow::OnTrayMessage(int mouseMessage) {
    Guarded([this, mouseMessage] {
        if (handler_) handler_->OnTrayMessage(*this, mouseMessage);
    });
}

void EntryWindow::OnTimer() {
    Guarded([this] {
        if (handler_) handler_->OnBlinkTick(*this);
    });
}

void EntryWindow::Unload() {
    if (Loaded()) window_->Unload();
}

// Runs for every unload, also when the window system closes the window on its own.
void EntryWindow::OnUnload() {
    if (unloaded_) return;
    unloaded_ = true;
    Guarded([this] {
        tray_.RemoveTrayIcon(handle_, iconId_);
        if (onUnloaded_) onUnloaded_(*this);
    });
}

}  // namespace iconlane
