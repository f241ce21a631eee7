#include "lane/entryline.h"

#include "platform/errors.h"
#include "platform/textrules.h"

namespace iconlane {

EntryFields SplitEntryLine(const std::string& line) {
    int first = FindText(line, ",");
    int second = FindText(line, ",", first + 1);
    if (first == 0) return {line, line, ""};
    EntryFields fields;
    fields.target = line.substr(0, first - 1);
    if (second == 0) {
        fields.tooltip = line.substr(first);
    } else {
        fields.tooltip = line.substr(first, second - first - 1);
        fields.iconField = line.substr(second);
    }
    return fields;
}

std::string ExpandFirstVariable(const std::string& target, const Environment& environment) {
    int open = FindText(target, "%");
    if (open == 0 || open == static_cast<int>(target.size())) return target;
    int close = FindText(target, "%", open + 1);
    if (close == 0) throw RuntimeError(kInvalidArgument);
    std::string name = target.substr(open, close - open - 1);
    std::string value = name.empty() ? std::string() : environment.Variable(name);
    if (value.empty()) return target;
    return target.substr(0, open - 1) + value + target.substr(close);
}

void ParseLine(const std::string& line, const Environment& environment, Dialogs& dialogs,
               const AddEntryFunction& addEntry) {
    HandleLine(line, dialogs, [&] {
        EntryFields fields = SplitEntryLine(line);
        fields.target = ExpandFirstVariable(fields.target, environment);
        addEntry(fields.target, fields.tooltip, fields.iconField);
    });
}

void HandleLine(const std::string& line, Dialogs& dialogs, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception&) {
        RuntimeError error = CurrentNumberedError();
        dialogs.ShowMessage("Unexpected error #" + std::to_string(error.Number()) +
                                " occurred in ParseLine while parsing '" + QuotedExcerpt(line) +
                                "'\n\nPlease check line syntax",
                            MessageStyle::kExclamation, "Iconlane");
    }
}

}  // namespace iconlane
