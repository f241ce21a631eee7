#include "platform/win32/dialogs/renameprompt.h"

// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <vector>

#include "platform/win32/system/widetext.h"

namespace iconlane::win32 {
namespace {

constexpr WORD kNameBox = 100;
constexpr WORD kButtonClass = 0x80, kEditClass = 0x81;

struct Prompt {
    std::wstring name;
    bool folder = false;
};

// A dialog template built in memory, so that the program needs no resource for the box: words,
// strings as UTF-16 with their zero, and each item on a four-byte boundary.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* title, WORD items, short width, short height) {
        Long(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Long(0);
        words_.insert(words_.end(), {items, 0, 0, WORD(width), WORD(height), 0, 0});
        Text(title);
        words_.push_back(8);
        Text(L"MS Shell Dlg");
    }
    void Item(DWORD style, short x, short y, short width, short height, WORD id, WORD kind,
              const wchar_t* text) {
        if (words_.size() % 2 != 0) words_.push_back(0);
        Long(style | WS_CHILD | WS_VISIBLE);
        Long(0);
        words_.insert(words_.end(),
                      {WORD(x), WORD(y), WORD(width), WORD(height), id, 0xFFFF, kind});
        Text(text);
        words_.push_back(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Long(DWORD value) { words_.insert(words_.end(), {LOWORD(value), HIWORD(value)}); }
    void Text(const wchar_t* text) {
        do words_.push_back(*text);
        while (*text++ != L'\0');
    }
    // DWORD-aligned as the system needs it: vector storage is at least that.
    std::vector<WORD> words_;
};

INT_PTR CALLBACK PromptProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* prompt = reinterpret_cast<Prompt*>(GetWindowLongPtrW(box, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(box, DWLP_USER, lParam);
        prompt = reinterpret_cast<Prompt*>(lParam);
        HWND field = GetDlgItem(box, kNameBox);
        SetWindowTextW(field, prompt->name.c_str());
        std::size_t dot = prompt->name.find_last_of(L'.');
        bool whole = prompt->folder || dot == 0 || dot == std::wstring::npos;
        SendMessageW(field, EM_SETSEL, 0, whole ? -1 : static_cast<LPARAM>(dot));
        SetFocus(field);
        return FALSE;  // the focus is set
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        HWND field = GetDlgItem(box, kNameBox);
        std::wstring typed(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
        typed.resize(
            static_cast<std::size_t>(GetWindowTextW(field, typed.data(), int(typed.size()))));
        prompt->name = typed;
        EndDialog(box, IDOK);
    } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(box, IDCANCEL);
    }
    return TRUE;
}

}  // namespace

void RenameWithPrompt(HWND owner, const std::string& path) {
    std::wstring from = Wide(path);
    std::size_t slash = from.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"" : from.substr(0, slash + 1);
    Prompt prompt{from.substr(folder.size()),
                  (GetFileAttributesW(from.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0};
    const std::wstring before = prompt.name;
    DialogTemplate layout(L"Rename", 3, 220, 48);
    layout.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 206, 14, kNameBox, kEditClass, L"");
    layout.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 27, 50, 14, IDOK, kButtonClass, L"OK");
    layout.Item(BS_PUSHBUTTON | WS_TABSTOP, 163, 27, 50, 14, IDCANCEL, kButtonClass, L"Cancel");
    if (DialogBoxIndirectParamW(GetModuleHandleW(nullptr), layout.Get(), owner, PromptProc,
                                reinterpret_cast<LPARAM>(&prompt)) != IDOK ||
        prompt.name.empty() || prompt.name == before) {
        return;
    }
    // The operation takes lists, each ended by an empty name.
    std::wstring source = from + L'\0', target = folder + prompt.name + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_RENAME;
    operation.pFrom = source.c_str();
    operation.pTo = target.c_str();
    operation.fFlags = FOF_ALLOWUNDO;
    SHFileOperationW(&operation);
}

}  // namespace iconlane::win32
