#include "message_box_probe.h"

#include "polling.h"
#include "screen_pixels.h"
#include "window_search.h"

namespace e2e {
namespace {

constexpr int kMessageTextId = 0xFFFF;
constexpr UINT kSendTimeoutMs = 2000;
constexpr auto kPaintTimeout = 2s;

std::string windowText(HWND window) {
    if (window == nullptr) return {};
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

// A dialog exists before its text is set; only a shown one with its button is complete.
bool isMessageBoxOf(HWND window, DWORD processId) {
    return processOf(window) == processId && classNameOf(window) == "#32770" &&
           IsWindowVisible(window) && GetDlgItem(window, IDOK) != nullptr;
}

// The box's icon is its visible static control with the SS_ICON style.
HWND iconControlOf(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(classNameOf(child).c_str(), "Static") == 0 &&
            (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
            return child;
        }
    }
    return nullptr;
}

// Wine's stop icon is a red disc, its exclamation icon an orange triangle: each covers well over
// an eighth of the icon's square with its colour, and the other colour does not occur.
BoxIcon iconByColour(const std::vector<RGBQUAD>& pixels) {
    std::size_t red = 0;
    std::size_t orange = 0;
    for (const RGBQUAD& p : pixels) {
        if (p.rgbRed > 150 && p.rgbGreen < 80 && p.rgbBlue < 80) ++red;
        if (p.rgbRed > 200 && p.rgbGreen >= 100 && p.rgbGreen < 200 && p.rgbBlue < 80) ++orange;
    }
    const std::size_t enough = pixels.size() / 8;
    if (red > 0 && red >= enough && orange == 0) return BoxIcon::Stop;
    if (orange > 0 && orange >= enough && red == 0) return BoxIcon::Exclamation;
    return BoxIcon::Unrecognised;
}

}  // namespace

std::vector<MessageBoxView> messageBoxesOf(DWORD processId) {
    std::vector<MessageBoxView> boxes;
    for (HWND box :
         topLevelWindowsWhere([&](HWND window) { return isMessageBoxOf(window, processId); })) {
        boxes.push_back({box, windowText(box), windowText(GetDlgItem(box, kMessageTextId))});
    }
    return boxes;
}

std::optional<MessageBoxView> waitForMessageBox(DWORD processId) {
    std::optional<MessageBoxView> box;
    pollUntil([&] {
        const auto boxes = messageBoxesOf(processId);
        if (!boxes.empty()) box = boxes.front();
        return box.has_value();
    });
    return box;
}

BoxIcon iconShownBy(const MessageBoxView& box) {
    HWND icon = iconControlOf(box.window);
    if (icon == nullptr) return BoxIcon::None;
    BoxIcon seen = BoxIcon::Unrecognised;
    // The box may be shown a moment before its icon is painted.
    pollUntil(
        [&] {
            RECT area{};
            GetWindowRect(icon, &area);
            seen = iconByColour(captureScreen(area).pixels);
            return seen != BoxIcon::Unrecognised;
        },
        kPaintTimeout);
    return seen;
}

bool pressOk(const MessageBoxView& box) {
    HWND ok = GetDlgItem(box.window, IDOK);
    if (ok == nullptr) return false;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
}

std::ostream& operator<<(std::ostream& out, BoxIcon icon) {
    switch (icon) {
        case BoxIcon::None:
            return out << "no icon";
        case BoxIcon::Stop:
            return out << "stop icon";
        case BoxIcon::Exclamation:
            return out << "exclamation icon";
        case BoxIcon::Unrecognised:
            break;
    }
    return out << "unrecognised icon";
}

}  // namespace e2e
