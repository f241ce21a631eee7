// The shell's own picture of what a shortcut's item list points to: the computer, a shell folder,
// an app of the Start menu's list. Such shortcuts have no path whose icon could be read.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "platform/win32/system/folderwatch.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

struct ItemQuestion;  // one question to the shell, shared with the thread that asks it

// The shell is asked on a thread of its own: it may load an app's package to answer, and the
// tray's messages wait meanwhile, a second at most. A shell that answers later (or never) keeps
// its question open: no second one is asked about the same shortcut until it has answered, and
// its late answer is announced from the message loop, which it wakes.
class ItemPictures final : public LoopWaitable {
public:
    ItemPictures();
    ~ItemPictures() override;
    ItemPictures(const ItemPictures&) = delete;
    ItemPictures& operator=(const ItemPictures&) = delete;

    // The icon, `size` pixels square, that the shell shows for the item the shortcut file `path`
    // points to; the caller owns it. Null when the file has no item list, the shell gives no
    // picture, it takes longer than a second to answer, or a question about `path` still waits.
    HICON Ask(const std::wstring& path, int size);
    // Runs, from the message loop, for each shortcut whose answer came late; Ask called from
    // inside it gives that answer at once (at the size it was asked at; another is asked anew).
    void WhenArrived(std::function<void(const std::wstring& path)> arrived) {
        arrived_ = std::move(arrived);
    }
    // Whether a question about `path` waits for its answer.
    bool Waits(const std::wstring& path) const { return waiting_.contains(path); }
    DWORD Handles(HANDLE (&handles)[kMaxLoopHandles]) const override;
    DWORD WaitTime() const override { return INFINITE; }
    void OnSignalled(HANDLE signalled) override;
    void OnTimeout() override {}

private:
    struct Answer {
        int size = 0;
        UniqueIcon icon;
    };

    UniqueFile answered_;  // an event: a late answer came
    std::map<std::wstring, ItemQuestion*> waiting_;
    std::map<std::wstring, Answer> answers_;  // late answers while they are announced
    std::function<void(const std::wstring&)> arrived_;
};

}  // namespace iconlane::win32
