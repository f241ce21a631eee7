// "Exit Iconlane": every icon blinks between a red cross and its own picture (a change every
// 800 ms) while the modal question "Exit Iconlane?" waits for an answer. No stops the blinking
// and keeps the program; Yes removes every icon and ends it.
#include <iostream>
#include <set>

#include "entry_window_fixture.h"
#include "screen_pixels.h"
#include "window_search.h"

namespace e2e {
namespace {

constexpr int kQuestionId = 1000;
constexpr int kPictureId = 1001;
constexpr auto kBlinkWatch = 2400ms;  // three blink ticks
constexpr auto kStillAfterNo = 2s;

using Looks = std::vector<std::set<IconLook>>;

std::string dialogText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Presses a button of the dialog as a click on it does.
bool press(HWND dialog, int id) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000,
                               &ignored) != 0;
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void report(const std::string& what, const std::string& path) {
    if (!path.empty()) std::cout << "screenshot of " << what << ": " << path << std::endl;
}

class ExitConfirmation : public EntryWindowTest {
protected:
    void chooseExit(std::size_t index) {
        HWND menu = openMenu(index);
        ASSERT_NE(menu, nullptr) << "no pop-up menu on icon " << index;
        choose(menu, MenuChoice::Exit);
        ASSERT_TRUE(pollUntil([&] { return !IsWindowVisible(menu); })) << "the menu stays open";
    }

    // The program's shown question dialogs: #32770 windows with a No button.
    std::vector<HWND> questions() {
        return topLevelWindowsWhere([&](HWND window) {
            return processOf(window) == program().id() && classNameOf(window) == "#32770" &&
                   IsWindowVisible(window) && GetDlgItem(window, IDNO) != nullptr;
        });
    }

    HWND waitForQuestion() {
        std::vector<HWND> shown;
        pollUntil([&] { return !(shown = questions()).empty(); });
        return shown.empty() ? nullptr : shown.front();
    }

    // The looks each icon shows during `duration`; the tray is saved once every icon is a cross.
    Looks watchIcons(std::chrono::milliseconds duration, std::size_t icons) {
        Looks seen(icons);
        const auto end = Clock::now() + duration;
        std::string shot;
        while (Clock::now() < end) {
            bool allCrossed = true;
            for (std::size_t n = 0; n < icons; ++n) {
                const IconLook look = lookOf(n);
                seen[n].insert(look);
                allCrossed = allCrossed && look == IconLook::RedCross;
            }
            if (allCrossed && shot.empty()) {
                RECT tray = iconArea(0);
                tray.left = iconArea(icons - 1).left - 20;
                shot = saveScreenshot(tray, "blinking-tray.bmp");
                report("the blinking tray", shot);
            }
            Sleep(static_cast<DWORD>(kPollInterval.count()));
        }
        return seen;
    }

    bool everyIconShowsItsOwnPicture(std::size_t icons) {
        for (std::size_t n = 0; n < icons; ++n) {
            if (lookOf(n) != IconLook::OwnPicture) return false;
        }
        return true;
    }

    // Answers No; the blinking stops for good and the program keeps running.
    void answerNo(HWND question, std::size_t icons) {
        EXPECT_TRUE(press(question, IDNO));
        EXPECT_TRUE(pollUntil([&] { return questions().empty(); })) << "the question stays";
        EXPECT_TRUE(
            pollUntilSteady([&] { return everyIconShowsItsOwnPicture(icons); }, kStillAfterNo))
            << "the icons still blink after No";
        EXPECT_TRUE(program().running());
    }
};

TEST_F(ExitConfirmation, AsksAboutTheTwoIconsWhileEveryIconBlinks) {
    startLane({}, 2);
    ASSERT_TRUE(everyIconShowsItsOwnPicture(2));
    chooseExit(0);
    HWND question = waitForQuestion();
    ASSERT_NE(question, nullptr) << "no question after \"Exit Iconlane\"";

    char title[64] = {};
    GetWindowTextA(question, title, sizeof title);
    EXPECT_STREQ(title, "Exit Iconlane?");
    EXPECT_EQ(dialogText(question, kQuestionId),
              "Exiting Iconlane will remove the 2 icons managed by it - Are you sure?");
    EXPECT_EQ(dialogText(question, IDNO), "&No");
    EXPECT_EQ(dialogText(question, IDYES), "&Yes");
    EXPECT_NE(GetDlgItem(question, kPictureId), nullptr);
    EXPECT_EQ(focusOf(question), GetDlgItem(question, IDNO));

    const Looks seen = watchIcons(kBlinkWatch, 2);
    for (std::size_t n = 0; n < 2; ++n) {
        EXPECT_EQ(seen[n].count(IconLook::RedCross), 1u)
            << "icon " << n << " never shows the cross";
        EXPECT_EQ(seen[n].count(IconLook::OwnPicture), 1u) << "icon " << n << " never its own";
    }
    RECT frame{};
    GetWindowRect(question, &frame);
    report("the question", saveScreenshot(frame, "exit-question.bmp"));

    // Exit from the other icon brings the open question to the front instead of a second one.
    chooseExit(1);
    EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == question; }));
    EXPECT_TRUE(pollUntilSteady([&] { return questions() == std::vector<HWND>{question}; }, 500ms));
    answerNo(question, 2);
}

TEST_F(ExitConfirmation, NoKeepsTheProgramAndYesRemovesEveryIcon) {
    startLane({}, 2);
    chooseExit(1);
    HWND question = waitForQuestion();
    ASSERT_NE(question, nullptr);
    answerNo(question, 2);
    EXPECT_EQ(tray().tips(), (Tips{"Lane 1", "Lane 2"}));

    chooseExit(0);
    question = waitForQuestion();
    ASSERT_NE(question, nullptr) << "no question after \"Exit Iconlane\" a second time";
    press(question, IDYES);  // the program ends before it answers the click
    EXPECT_EQ(tray().waitForIcons(0), Tips{});
    EXPECT_TRUE(waitForExit()) << "iconlane.exe still runs after Yes";
}

}  // namespace
}  // namespace e2e
