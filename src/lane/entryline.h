// Entry lines: "target,tooltip,icon field", with one %VARIABLE% expanded in the target.
#pragma once

#include <functional>
#include <string>

#include "platform/services.h"

namespace iconlane {

struct EntryFields {
    std::string target;
    std::string tooltip;
    std::string iconField;
    bool operator==(const EntryFields&) const = default;
};

// Splits at the first two commas; with no comma the whole line is target and tooltip. Nothing is
// trimmed or unquoted. Fails with overflow for a comma at position 32,767 or later.
EntryFields SplitEntryLine(const std::string& line);

// Replaces the first %NAME% of the target by the variable's value. An undefined or empty variable,
// or a target whose only "%" is its last character, leaves the target as it is; a lone "%"
// elsewhere fails with invalid argument (5).
std::string ExpandFirstVariable(const std::string& target, const Environment& environment);

// Creates the entry from its three fields; may rewrite the tooltip and the icon field.
using AddEntryFunction =
    std::function<void(std::string& target, std::string& tooltip, std::string& iconField)>;

// Runs `action` under the handler of an entry line: any failure is reported in a message box
// quoting the line, and the line is then abandoned.
void HandleLine(const std::string& line, Dialogs& dialogs, const std::function<void()>& action);

// Splits and expands one entry line and hands it to `addEntry`. Any failure, including one inside
// `addEntry`, is reported in a message box quoting the line; the line is then abandoned.
void ParseLine(const std::string& line, const Environment& environment, Dialogs& dialogs,
               const AddEntryFunction& addEntry);

}  // namespace iconlane
