#include "entry_window_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "screen_pixels.h"

namespace e2e {
namespace {

constexpr auto kNoMoreLaunches = 1s;
constexpr std::size_t kMenuCaptions = 4;
// Own pictures, one per icon; none has the red of the cross.
const COLORREF kOwnColours[] = {RGB(0, 160, 0), RGB(0, 0, 200), RGB(200, 160, 0)};

std::string markerProgram() {
    const char* configured = std::getenv("ICONLANE_E2E_MARKER");
    if (configured == nullptr || *configured == '\0') {
        throw std::runtime_error("ICONLANE_E2E_MARKER is not set: run the tests through ctest");
    }
    return windowsPathFromUnix(configured);
}

template <class Value>
void append(std::string& bytes, Value value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// A 32 x 32 icon file of one opaque colour: directory, entry, bitmap header, pixels, AND mask.
std::string plainIcon(COLORREF colour) {
    constexpr int kSide = 32;
    constexpr DWORD kPixelBytes = kSide * kSide * 4, kMaskBytes = kSide * kSide / 8;
    std::string bytes;
    for (WORD word : {0, 1, 1}) append(bytes, word);  // reserved, type icon, one image
    bytes += std::string{kSide, kSide, 0, 0};         // width, height, colours, reserved
    append<WORD>(bytes, 1);                           // planes
    append<WORD>(bytes, 32);                          // bits per pixel
    append<DWORD>(bytes, sizeof(BITMAPINFOHEADER) + kPixelBytes + kMaskBytes);
    append<DWORD>(bytes, 22);  // the image follows the 6-byte directory and the 16-byte entry
    BITMAPINFOHEADER header{sizeof header, kSide, 2 * kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    append(bytes, header);
    const RGBQUAD pixel{GetBValue(colour), GetGValue(colour), GetRValue(colour), 255};
    for (int n = 0; n < kSide * kSide; ++n) append(bytes, pixel);
    return bytes + std::string(kMaskBytes, '\0');
}

bool closeTo(const RGBQUAD& p, COLORREF colour) {
    return std::abs(p.rgbRed - GetRValue(colour)) < 40 &&
           std::abs(p.rgbGreen - GetGValue(colour)) < 40 &&
           std::abs(p.rgbBlue - GetBValue(colour)) < 40;
}

bool strongRed(const RGBQUAD& p) {
    return p.rgbRed > 200 && p.rgbGreen < 60 && p.rgbBlue < 60;
}

// A diagonal cross: red at the centre and near the four corners of the icon, not at the middle
// of its edges.
bool crossShaped(const ScreenImage& image) {
    const int cx = image.width / 2, cy = image.height / 2;
    auto red = [&](int dx, int dy) { return strongRed(image.at(cx + dx, cy + dy)); };
    return red(0, 0) && red(-4, -4) && red(4, -4) && red(-4, 4) && red(4, 4) && !red(0, -7) &&
           !red(-7, 0);
}

}  // namespace

void EntryWindowTest::startLane(const std::vector<std::string>& options, std::size_t icons) {
    const std::string marker = scenario().pathOf("marker.exe");
    launchLog_ = scenario().pathOf("launches.txt");
    ASSERT_TRUE(CopyFileA(markerProgram().c_str(), marker.c_str(), FALSE));
    if (!options.empty()) scenario().writeLines("Iconlane.ini", options);
    std::vector<std::string> lines;
    for (std::size_t n = 0; n < icons; ++n) {
        const std::string picture = "own" + std::to_string(n + 1) + ".ico";
        scenario().writeFile(picture, plainIcon(kOwnColours[n]));
        lines.push_back(marker + ",Lane " + std::to_string(n + 1) + "," +
                        scenario().pathOf(picture));
    }
    scenario().writeLines("lane.txt", lines);
    start("/BATCH:" + scenario().pathOf("lane.txt"));
    ASSERT_EQ(tray().waitForIcons(icons).size(), icons);

    HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
    areas_.clear();
    for (const TrayIcon& icon : tray().icons()) {
        RECT area = icon.slot;
        MapWindowPoints(taskBar, nullptr, reinterpret_cast<POINT*>(&area), 2);
        areas_.push_back(area);
    }
}

std::size_t EntryWindowTest::launches() const {
    std::ifstream file(launchLog_);
    return static_cast<std::size_t>(
        std::count(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>(), '\n'));
}

bool EntryWindowTest::launchesSettleAt(std::size_t count) const {
    return pollUntilSteady([&] { return launches() == count; }, kNoMoreLaunches);
}

RECT EntryWindowTest::iconArea(std::size_t index) const {
    return areas_.at(index);
}

void EntryWindowTest::clickIcon(std::size_t index, Click click) const {
    const RECT area = iconArea(index);
    clickAt({(area.left + area.right) / 2, (area.top + area.bottom) / 2}, click);
    moveMouseAway();
}

HWND EntryWindowTest::openMenu(std::size_t index) {
    const RECT area = iconArea(index);
    // The menu opens where the mouse is when the program handles the click: move away after.
    clickAt({(area.left + area.right) / 2, (area.top + area.bottom) / 2}, Click::Right);
    HWND menu = waitForPopupMenu(program().id());
    if (menu == nullptr) return nullptr;
    moveMouseAway();
    const bool drawn = pollUntil([&] { return greyedMenuItems(menu).size() == kMenuCaptions; });
    return drawn ? menu : nullptr;
}

IconLook EntryWindowTest::lookOf(std::size_t index) const {
    const ScreenImage image = captureScreen(iconArea(index));
    std::size_t own = 0, red = 0;
    for (const RGBQUAD& p : image.pixels) {
        own += closeTo(p, kOwnColours[index]) ? 1 : 0;
        red += strongRed(p) ? 1 : 0;
    }
    const std::size_t all = image.pixels.size();
    if (all > 0 && own >= all / 2 && red == 0) return IconLook::OwnPicture;
    if (all > 0 && red >= all / 8 && own == 0 && crossShaped(image)) return IconLook::RedCross;
    return IconLook::Other;
}

}  // namespace e2e
