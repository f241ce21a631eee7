// The rows of the end-to-end tables and what several of them share. Each *_test.cpp file holds one
// table of rows, one path a user takes through iconlane.exe each; one test plays them all, each in
// a fresh folder under Wine (see driver.h).
#pragma once

#include "driver.h"
// The shell's shortcut object needs windows.h first.
#include <shlobj.h>

namespace e2e {

struct Row {
    const char* name;
    void (*play)(Driver&);
    Keyboard keyboard = Keyboard::kSendInput;  // how the driver types
};

class Scenario : public ::testing::TestWithParam<Row> {};

inline std::string rowName(const ::testing::TestParamInfo<Row>& row) {
    return row.param.name + std::string(row.param.keyboard == Keyboard::kXServer ? "_OnX" : "");
}

// Rows that walk a menu from the keyboard, each played again typing on the X server's keyboard.
inline std::vector<Row> onBothKeyboards(std::initializer_list<Row> rows) {
    std::vector<Row> both(rows);
    for (Row row : rows) row.keyboard = Keyboard::kXServer, both.push_back(row);
    return both;
}

inline const std::string kBatch = "/BATCH:$D\\lane.txt";
inline const std::string kError = "Unexpected error #", kCheck = "'\n\nPlease check line syntax";

// Milliseconds from one call to the next, on average.
inline double pace(const std::vector<std::pair<Icon, Clock::time_point>>& calls) {
    return (calls.back().second - calls.front().second) / 1.0ms / (calls.size() - 1);
}

// The test's own file type .iconlane-doc, whose verbs run marker.exe with the verb's name first;
// the first verb is its default.
inline void registerDocumentType(const Driver& d, std::initializer_list<std::string> verbs) {
    RegSetValueA(HKEY_CLASSES_ROOT, ".iconlane-doc", REG_SZ, "IconlaneE2E.Doc", 0);
    RegSetValueA(HKEY_CLASSES_ROOT, "IconlaneE2E.Doc\\shell", REG_SZ, verbs.begin()->c_str(), 0);
    for (const std::string& verb : verbs)
        RegSetValueA(HKEY_CLASSES_ROOT, ("IconlaneE2E.Doc\\shell\\" + verb + "\\command").c_str(),
                     REG_SZ, d.path("\"$D\\marker.exe\" " + verb + " \"%1\"").c_str(), 0);
}

// A message box: title, start and end of its text, its icon by colour (Wine's stop icon is red,
// its exclamation orange, nothing else in a box is either), inside a 1024 x 768 screen; then OK.
inline void expectBox(const Driver& d, std::string title, std::string starts, std::string ends,
                      bool stop) {
    HWND box = d.waitFor("#32770", IDOK);
    const std::string text = textOf(GetDlgItem(box, 0xFFFF));
    EXPECT_EQ(textOf(box), title);
    EXPECT_TRUE(text.starts_with(d.path(starts)) && text.ends_with(ends)) << text.substr(0, 300);
    RECT r{};
    GetWindowRect(box, &r);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 1024 && r.bottom <= 768);
    EXPECT_TRUE(pollUntil(
        [&] {
            const Colours c = coloursIn(r);
            return stop ? c.red > 50 && !c.orange : c.orange > 50 && !c.red;
        },
        2s))
        << (stop ? "no stop icon" : "no exclamation icon");
    Driver::press(box, IDOK);
}

// The guide, titled with the version, with the text box and Ok where the design's fractions of
// the client area put them once the window is resized.
inline HWND expectGuide(const Driver& d) {
    HWND help = d.waitFor("frmHelp");
    const std::string text = textOf(GetDlgItem(help, 100));
    EXPECT_EQ(textOf(help), "Iconlane v1.0.0");
    EXPECT_TRUE(text.find("Iconlane User Guide") < text.find("\\rtf")) << text.substr(0, 300);
    SetWindowPos(help, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(pollUntil(
        [&] {
            RECT client{}, box{}, ok{};
            GetClientRect(help, &client), GetWindowRect(GetDlgItem(help, 100), &box);
            GetWindowRect(GetDlgItem(help, IDOK), &ok);
            MapWindowPoints(nullptr, help, reinterpret_cast<POINT*>(&box), 2);
            MapWindowPoints(nullptr, help, reinterpret_cast<POINT*>(&ok), 2);
            const double x = client.right / 6705.0, y = client.bottom / 5310.0;
            const double sides[][2] = {{box.left / x, 75},    {box.top / y, 90},
                                       {box.right / x, 6600}, {box.bottom / y, 4395},
                                       {ok.left / x, 5205},   {ok.top / y, 4515},
                                       {ok.right / x, 6615},  {ok.bottom / y, 5220}};
            return std::all_of(std::begin(sides), std::end(sides),
                               [&](auto& s) { return std::abs(s[0] - s[1]) < 30; });
        },
        2s))
        << "out of proportion at 800 x 600";
    return help;
}

// A shortcut to marker.exe with its arguments (without an icon: to the computer, an item list
// and nothing else), written into $D\ql by the shell's own shortcut object.
inline void shortcut(const Driver& d, const std::string& name, const std::string& comment,
                     const std::string& icon, const std::string& arguments = "") {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    LPITEMIDLIST computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)) &&
                SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))));
    if (icon.empty() && SUCCEEDED(SHGetSpecialFolderLocation(0, CSIDL_DRIVES, &computer)))
        link->SetIDList(computer), ILFree(computer);
    else
        link->SetPath(d.path("$D\\marker.exe").c_str()),
            link->SetIconLocation(d.path(icon).c_str(), 0);
    link->SetDescription(comment.c_str()), link->SetArguments(arguments.c_str());
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    const std::string path = d.path("$D\\ql\\" + name);
    EXPECT_EQ(file->Save(std::wstring(path.begin(), path.end()).c_str(), TRUE), S_OK);
    file->Release(), link->Release(), CoUninitialize();
}

// A folder of tests/e2e/data (made by scripts/shortcut-fixtures.py) copied into $D as `to`.
inline void copyData(const Driver& d, const std::string& from, const std::string& to) {
    std::filesystem::copy(Driver::built("ICONLANE_E2E_DATA") + "\\" + from, d.path("$D\\" + to),
                          std::filesystem::copy_options::recursive);
}
}  // namespace e2e
