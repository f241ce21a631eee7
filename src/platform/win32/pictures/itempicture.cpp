#include "platform/win32/pictures/itempicture.h"

#include <windows.h>
// The shell's item interfaces need the types of windows.h.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <utility>
#include <vector>

#include "platform/win32/system/handles.h"

namespace iconlane::win32 {
namespace {

// How long the tray waits for the shell; a later answer is announced when it comes.
constexpr DWORD kShellAnswerLimitMs = 1000;

using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
using CreateInstance = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
using Uninitialize = void(WINAPI*)();

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

// What the asking thread and the shell's thread share. Whichever lets go last deletes it, with an
// icon nobody took. The shell's thread signals its own copy of the event once it has answered.
struct ItemQuestion {
    std::wstring path;
    int size = 0;
    UniqueFile answered;
    HICON icon = nullptr;
    LONG done = 0;
    LONG holders = 2;
};

namespace {

void LetGo(ItemQuestion* request) {
    if (InterlockedDecrement(&request->holders) != 0) return;
    if (request->icon != nullptr) DestroyIcon(request->icon);
    delete request;
}

// As Explorer shows the item: a Store app's own picture, not drawn on a coloured tile. Some shells
// answer with a placeholder of a pixel: only a picture of about the size asked for counts.
HICON ImageFactoryIcon(PCIDLIST_ABSOLUTE items, int size) {
    ComRef<IShellItemImageFactory> factory;
    HBITMAP received = nullptr;
    if (FAILED(SHCreateItemFromIDList(items, IID_IShellItemImageFactory, factory.ReceiveAny())) ||
        FAILED(factory->GetImage(SIZE{size, size}, SIIGBF_ICONONLY, &received))) {
        return nullptr;
    }
    UniqueBitmap colour(received);
    BITMAP shape{};
    if (!GetObjectW(colour.Get(), sizeof shape, &shape) || shape.bmWidth * 2 < size ||
        shape.bmHeight * 2 < size) {
        return nullptr;
    }
    // An empty mask: the colour bitmap's own alpha channel gives the shape.
    std::vector<BYTE> clear(
        static_cast<std::size_t>((shape.bmWidth + 15) / 16 * 2 * shape.bmHeight));
    UniqueBitmap mask(CreateBitmap(shape.bmWidth, shape.bmHeight, 1, 1, clear.data()));
    ICONINFO parts{TRUE, 0, 0, mask.Get(), colour.Get()};
    return mask.Valid() ? CreateIconIndirect(&parts) : nullptr;
}

// The picture every shell has: a Store app's on its tile.
HICON FileInfoIcon(PCIDLIST_ABSOLUTE items, int size) {
    SHFILEINFOW info{};
    UINT scale = size <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(items), 0, &info, sizeof info,
                        SHGFI_PIDL | SHGFI_ICON | scale)) {
        return nullptr;
    }
    return info.hIcon;
}

HICON ItemIcon(const ItemQuestion& request, CreateInstance create) {
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    if (FAILED(create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                      link.ReceiveAny())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveAny())) ||
        FAILED(file->Load(request.path.c_str(), STGM_READ))) {
        return nullptr;
    }
    PIDLIST_ABSOLUTE items = nullptr;
    if (link->GetIDList(&items) != S_OK || items == nullptr) return nullptr;
    HICON icon = ImageFactoryIcon(items, request.size);
    if (icon == nullptr) icon = FileInfoIcon(items, request.size);
    ILFree(items);
    return icon;
}

// The shell's thread, in an apartment of its own. It holds the COM library itself, so that the
// library stays loaded while it runs, even when the tray has stopped waiting and ended meanwhile.
DWORD WINAPI AskShell(void* parameter) {
    auto* request = static_cast<ItemQuestion*>(parameter);
    HMODULE ole32 = LoadLibraryW(L"ole32.dll");
    auto initialize = Lookup<Initialize>(ole32, "CoInitializeEx");
    auto create = Lookup<CreateInstance>(ole32, "CoCreateInstance");
    auto uninitialize = Lookup<Uninitialize>(ole32, "CoUninitialize");
    if (initialize != nullptr && create != nullptr && uninitialize != nullptr &&
        SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED))) {
        request->icon = ItemIcon(*request, create);
        uninitialize();
    }
    if (ole32 != nullptr) FreeLibrary(ole32);
    InterlockedExchange(&request->done, 1);
    SetEvent(request->answered.Get());
    LetGo(request);
    return 0;
}

}  // namespace

ItemPictures::ItemPictures() : answered_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

// A shell that never answers keeps its thread; the process ends it.
ItemPictures::~ItemPictures() {
    for (const auto& [path, request] : waiting_) LetGo(request);
}

HICON ItemPictures::Ask(const std::wstring& path, int size) {
    if (auto late = answers_.find(path); late != answers_.end()) {
        Answer answer = std::move(late->second);
        answers_.erase(late);
        if (answer.size == size) return answer.icon.Release();
    }
    if (waiting_.contains(path)) return nullptr;
    HANDLE own = nullptr;
    if (answered_.Valid()) {
        DuplicateHandle(GetCurrentProcess(), answered_.Get(), GetCurrentProcess(), &own, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
    auto* request = new ItemQuestion{path, size, UniqueFile(own)};
    UniqueFile thread(CreateThread(nullptr, 0, AskShell, request, 0, nullptr));
    if (!thread.Valid()) {
        delete request;
        return nullptr;
    }
    if (WaitForSingleObject(thread.Get(), kShellAnswerLimitMs) != WAIT_OBJECT_0) {
        // Without the event no late answer could be announced: it is then thrown away.
        if (request->answered.Valid()) {
            waiting_.emplace(path, request);
        } else {
            LetGo(request);
        }
        return nullptr;
    }
    HICON icon = std::exchange(request->icon, nullptr);
    LetGo(request);
    return icon;
}

DWORD ItemPictures::Handles(HANDLE (&handles)[kMaxLoopHandles]) const {
    if (waiting_.empty()) return 0;
    handles[0] = answered_.Get();
    return 1;
}

// One signal may stand for several answers: every question answered by now is taken.
void ItemPictures::OnSignalled(HANDLE) {
    std::vector<std::wstring> arrived;
    for (auto at = waiting_.begin(); at != waiting_.end();) {
        ItemQuestion* request = at->second;
        if (InterlockedCompareExchange(&request->done, 1, 1) == 0) {
            ++at;
            continue;
        }
        answers_[at->first] = {request->size, UniqueIcon(std::exchange(request->icon, nullptr))};
        LetGo(request);
        arrived.push_back(at->first);
        at = waiting_.erase(at);
    }
    for (const std::wstring& path : arrived) {
        if (arrived_ && answers_.at(path).icon.Valid()) arrived_(path);
        answers_.erase(path);  // not taken: nobody shows that shortcut any more
    }
}

}  // namespace iconlane::win32
