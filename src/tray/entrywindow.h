// frmTL: what serves one tray entry. It holds the entry's index (its tag), its tooltip text, its
// two pictures, which items of its menu are enabled, whether it is a folder's and its blink
// timer, and deletes its tray icon when unloaded. Its window is a slot of the program's one tray
// window, and its icon carries the id that belongs to what the entry is.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "menus/entrymenu.h"
#include "platform/services.h"
#include "tray/trayicons.h"

namespace iconlane {

// The build may shorten the blink for the leak soak test; the shipping program uses 800 ms.
#ifndef ICONLANE_BLINK_INTERVAL_MS
#define ICONLANE_BLINK_INTERVAL_MS 800
#endif

inline constexpr unsigned kBlinkIntervalMs = ICONLANE_BLINK_INTERVAL_MS;
inline constexpr unsigned kTrayRetryIntervalMs = 2000;

class EntryWindow;

// Receives what happens to an entry window: its tray notifications and its blink ticks.
class EntryWindowHandler {
public:
    virtual ~EntryWindowHandler() = default;
    virtual void OnTrayMessage(EntryWindow& window, int mouseMessage) = 0;
    virtual void OnBlinkTick(EntryWindow& window) = 0;
    // The window's tray icon has to be added again: the shell did not take it, or restarted (then
    // every window hears it, in entry order).
    virtual void OnIconLost(EntryWindow& window, bool shellRestarted) = 0;
};

class EntryWindow final : public TraySlotEvents {
public:
    using UnloadedCallback = std::function<void(EntryWindow&)>;

    // Creates the window whose tray icon has the id `iconId`, with its elements: the Up image in
    // Picture2, an empty Picture1, the label caption "LabelToolTip" and its menu items enabled.
    EntryWindow(Services& services, TrayIcons& tray, std::uint32_t iconId,
                UnloadedCallback onUnloaded);
    ~EntryWindow() override;
    EntryWindow(const EntryWindow&) = delete;
    EntryWindow& operator=(const EntryWindow&) = delete;

    // The window that owns the tray icon, and the icon's id there.
    std::uintptr_t Handle() const { return handle_; }
    std::uint32_t IconId() const { return iconId_; }
    bool Loaded() const { return !unloaded_; }

    const std::string& Tag() const { return tag_; }
    void SetTag(std::string tag) { tag_ = std::move(tag); }

    const std::string& LabelToolTip() const { return labelToolTip_; }
    void SetLabelToolTip(std::string caption) { labelToolTip_ = std::move(caption); }

    // Picture1, the entry's own picture (the Down image); replacing it releases the old one.
    void SetPicture1(PicturePtr picture) { picture1_ = std::move(picture); }
    const Picture* Picture1() const { return picture1_.get(); }
    std::uintptr_t Picture1Handle() const { return picture1_ ? picture1_->Handle() : 0; }
    // Picture2, the Up image every entry blinks to.
    void SetPicture2(PicturePtr picture) { picture2_ = std::move(picture); }
    std::uintptr_t Picture2Handle() const { return picture2_ ? picture2_->Handle() : 0; }

    // The items of the right-button menu (see EntryMenuItems), by command; an unloaded window's
    // are all disabled.
    void SetMenuItemEnabled(int item, bool enabled);
    bool MenuItemEnabled(int item) const;

    // A folder entry's click and Enter open the folder's menu instead of the folder itself.
    void SetFolderEntry(bool folder) { folderEntry_ = folder; }
    bool FolderEntry() const { return folderEntry_; }

    // tmrFade, the blink clock, and the phase it flips at every tick.
    void SetFadeTimerEnabled(bool enabled);
    bool FadeTimerEnabled() const { return fadeTimerEnabled_; }
    bool BlinkPhase() const { return blinkPhase_; }
    bool FlipBlinkPhase() { return blinkPhase_ = !blinkPhase_; }
    // The image the icon shows now: the Up image mid-blink, else the entry's own picture.
    std::uintptr_t ShownIconHandle() const;

    // Retries adding the tray icon every few seconds while the shell does not take it.
    void SetTrayRetryTimerEnabled(bool enabled);

    // Where tray notifications and blink ticks go; none are handled while it is null.
    void SetHandler(EntryWindowHandler* handler) { handler_ = handler; }

    // Destroys the window, which deletes its tray icon. Does nothing once unloaded.
    void Unload();

private:
    // Events enter the program here: a failure in one is reported, never passed to the platform.
    void OnTrayMessage(int mouseMessage) override;
    void OnTimer() override;
    void OnRetryTimer() override;
    void OnTaskbarCreated() override;
    void OnUnload() override;
    template <typename Event>
    void Guarded(Event event);

    Dialogs& dialogs_;
    TrayIcons& tray_;
    UnloadedCallback onUnloaded_;
    PicturePtr picture2_;
    PicturePtr picture1_;
    std::string labelToolTip_ = "LabelToolTip";
    std::string tag_;
    std::unique_ptr<TraySlot> window_;
    std::uintptr_t handle_ = 0;
    std::uint32_t iconId_ = 0;
    bool unloaded_ = false;
    std::array<bool, kMenuExit + 1> menuEnabled_;
    bool folderEntry_ = false;
    bool fadeTimerEnabled_ = false;
    bool blinkPhase_ = false;
    EntryWindowHandler* handler_ = nullptr;
};

}  // namespace iconlane
