#include "platform/win32/windowsystem.h"

#include <utility>

namespace iconlane::win32 {

Win32WindowSystem::Win32WindowSystem() : pictureSources_(PlainPictureSources(ShellFilePicture)) {}

// The menus let go of the tray window before it goes.
Win32WindowSystem::~Win32WindowSystem() {
    menus_.reset();
}

// The menus come with the window, so that their colours follow the system's from the start.
Win32TrayWindow& Win32WindowSystem::Tray() {
    if (!tray_) {
        tray_ = std::make_unique<Win32TrayWindow>(iconSizeChanged_, listeners_);
        menus_ = std::make_unique<Win32MenuHost>(*tray_, pictureSources_);
    }
    return *tray_;
}

// The entries' menus are the window system's (ShowMenu): a slot has none of its own.
std::unique_ptr<TraySlot> Win32WindowSystem::CreateTraySlot(std::uint32_t id,
                                                            TraySlotEvents& events) {
    return std::make_unique<Win32TraySlot>(Tray(), id, events);
}

void Win32WindowSystem::RunMessageLoop() {
    win32::RunMessageLoop(waitables_);
}

bool Win32WindowSystem::WatchFolder(const std::string& folder, unsigned settleMs,
                                    std::function<bool()> settled) {
    return watch_.Start(folder, settleMs, std::move(settled));
}

void Win32WindowSystem::QuitMessageLoop() {
    PostQuitMessage(0);
}

// A listener for a message already heard takes the place of the earlier one.
void Win32WindowSystem::ListenOnTray(TrayWindowListener listener) {
    std::erase_if(listeners_, [&](const auto& other) { return other.message == listener.message; });
    listeners_.push_back(std::move(listener));
    Tray().LetThrough(listeners_.back().message);
}

void Win32WindowSystem::WatchTrayIconSize(std::function<void()> changed) {
    iconSizeChanged_ = std::move(changed);
}

MenuChoice Win32WindowSystem::ShowMenu(const MenuRequest& request) {
    Tray();
    return menus_->Show(request);
}

// Ends the innermost menu's loop and every loop below it.
void Win32WindowSystem::CloseMenus() {
    EndMenu();
}

// The keys as they are, not as the thread's last keyboard message left them: a tray notification
// comes with no keyboard message at all.
HeldKeys Win32WindowSystem::KeysHeld() {
    return KeysHeldNow();
}

std::size_t Win32WindowSystem::MenuPicturesOutstanding() const {
    return menus_ ? menus_->PicturesOutstanding() : 0;
}

// The tray window (and the menus with it) is made here when no slot has made it yet.
HotKeyHold Win32WindowSystem::HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) {
    return Tray().HoldHotKey(chord, std::move(pressed));
}

std::uint64_t Win32WindowSystem::Milliseconds() {
    return GetTickCount64();
}

unsigned Win32WindowSystem::DoubleClickMilliseconds() {
    return GetDoubleClickTime();
}

}  // namespace iconlane::win32
