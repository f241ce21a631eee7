// The base of every end-to-end scenario: a fresh folder with its own iconlane.exe, a view of the
// real tray, and a program that is ended cleanly after the test, whatever the test did.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "message_box_probe.h"
#include "polling.h"
#include "program_process.h"
#include "scenario_folder.h"
#include "tray_probe.h"

namespace e2e {

using Tips = std::vector<std::string>;

class IconlaneTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ScenarioFolder& scenario() { return *scenario_; }
    const TrayProbe& tray() const { return *tray_; }

    // Starts the scenario's iconlane.exe with exactly this argument text. APPDATA points into the
    // scenario folder, so the icon files the program writes stay there; `environment` adds more.
    ProgramProcess& start(const std::string& arguments, const Environment& environment = {});
    ProgramProcess& program() { return *program_; }

    std::optional<MessageBoxView> waitForMessageBox() const;
    // True when the program shows no message box for a quiet time.
    bool showsNoMessageBox() const;

    // The program's hidden tray window (class IconlaneTray), which owns every icon.
    std::vector<HWND> entryWindows() const;
    // Asks up to `count` tray windows to close, which ends the program; returns how many.
    std::size_t closeEntryWindows(std::size_t count = std::numeric_limits<std::size_t>::max());
    bool waitForExit() const { return program_->waitForExit(kEffectTimeout); }

private:
    // Answers leftover message boxes and closes the entry windows until the program ends; kills it
    // (and fails the test) only when that does not work.
    void endProgram();

    std::optional<ScenarioFolder> scenario_;
    std::optional<TrayProbe> tray_;
    std::unique_ptr<ProgramProcess> program_;
};

}  // namespace e2e
