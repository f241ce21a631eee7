// Entry lines: the split at the first two commas, the %VARIABLE% expansion of the target, and
// ParseLine's report of a line it cannot use. One input is one line.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "fuzzsupport.h"
#include "platform/errors.h"
#include "platform/services.h"
#include "platform/textrules.h"
#include "startup/entryline.h"

namespace iconlane::fuzz {
namespace {

constexpr std::size_t kNone = std::string::npos;

// Defined variables, among them an empty one, values holding "%" or "," and one whose value is
// its own reference.
const std::map<std::string, std::string> kVariables = {
    {"windir", "C:\\Windows"}, {"A", "alpha"},    {"EMPTY", ""}, {"PCT", "50%"},
    {"COMMA", "x,y,z"},        {"SELF", "%SELF%"}};

std::string ValueOf(const std::string& name) {
    auto found = kVariables.find(name);
    return found == kVariables.end() ? std::string() : found->second;
}

class FakeEnvironment : public Environment {
public:
    std::string Variable(const std::string& name) const override {
        // Only what stands between two "%" is ever looked up.
        FUZZ_CHECK(name.find('%') == kNone);
        return ValueOf(name);
    }
};

class FakeDialogs : public Dialogs {
public:
    void ShowMessage(const std::string& text, MessageStyle style,
                     const std::string& title) override {
        ++count;
        this->text = text;
        FUZZ_CHECK(style == MessageStyle::kExclamation);
        FUZZ_CHECK(title == "Iconlane");
    }
    int count = 0;
    std::string text;
};

// A position of 32,767 or more (counting from 1) is an overflow.
bool Overflows(std::size_t index) {
    return index != kNone && index + 1 > static_cast<std::size_t>(kMaxTextPosition);
}

// The README's rule, written with std::string::find: the first %NAME% is replaced by the value of
// NAME; an undefined or empty variable leaves the target as written; a lone "%" is an error
// unless it is the target's last character. The error number, or the expanded target.
struct Expansion {
    int error = 0;
    std::string target;
};

Expansion ExpectedExpansion(const std::string& target) {
    std::size_t open = target.find('%');
    if (Overflows(open)) return {kOverflow, ""};
    if (open == kNone || open + 1 == target.size()) return {0, target};
    std::size_t close = target.find('%', open + 1);
    if (close == kNone) return {kInvalidArgument, ""};
    if (Overflows(close)) return {kOverflow, ""};
    std::string value = ValueOf(target.substr(open + 1, close - open - 1));
    if (value.empty()) return {0, target};
    return {0, target.substr(0, open) + value + target.substr(close + 1)};
}

void CheckExpandFirstVariable(const std::string& text, const Environment& environment) {
    Expansion expected = ExpectedExpansion(text);
    try {
        std::string expanded = ExpandFirstVariable(text, environment);
        FUZZ_CHECK(expected.error == 0);
        FUZZ_CHECK(expanded == expected.target);
    } catch (const RuntimeError& error) {
        FUZZ_CHECK(error.Number() == expected.error);
    }
}

void CheckParseLine(const std::string& line, const Environment& environment) {
    std::size_t first = line.find(',');
    std::size_t second = first == kNone ? kNone : line.find(',', first + 1);
    std::string target = line.substr(0, first);  // before expansion
    Expansion expected = ExpectedExpansion(target);
    if (Overflows(first) || Overflows(second)) expected = {kOverflow, ""};

    FakeDialogs dialogs;
    int entries = 0;
    ParseLine(line, environment, dialogs,
              [&](std::string& expanded, std::string& tooltip, std::string& iconField) {
                  ++entries;
                  FUZZ_CHECK(expected.error == 0);
                  FUZZ_CHECK(expanded == expected.target);
                  // The fields put together again give back the line.
                  if (first == kNone) {
                      FUZZ_CHECK(tooltip == line);
                      FUZZ_CHECK(iconField.empty());
                  } else if (second == kNone) {
                      FUZZ_CHECK(target + "," + tooltip == line);
                      FUZZ_CHECK(iconField.empty());
                  } else {
                      FUZZ_CHECK(target + "," + tooltip + "," + iconField == line);
                      FUZZ_CHECK(tooltip.find(',') == kNone);
                  }
              });

    // Every line either makes one entry or is reported once, quoted whole.
    FUZZ_CHECK(entries + dialogs.count == 1);
    if (dialogs.count == 1) {
        FUZZ_CHECK(expected.error != 0);
        FUZZ_CHECK(dialogs.text.find("#" + std::to_string(expected.error) + " ") != kNone);
        FUZZ_CHECK(dialogs.text.find("'" + line + "'") != kNone);
    }
}

void CheckSplit(const std::string& line) {
    try {
        EntryFields fields = SplitEntryLine(line);
        std::size_t first = line.find(',');
        FUZZ_CHECK(fields.target == line.substr(0, first));
        FUZZ_CHECK(fields.tooltip.find(',') == kNone);
        FUZZ_CHECK(fields.target.size() + fields.tooltip.size() + fields.iconField.size() <=
                   line.size() + (first == kNone ? line.size() : 0));
    } catch (const RuntimeError& error) {
        FUZZ_CHECK(error.Number() == kOverflow);
        FUZZ_CHECK(line.size() >= static_cast<std::size_t>(kMaxTextPosition));
    }
}

}  // namespace
}  // namespace iconlane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace iconlane::fuzz;
    const std::string line = InputText(data, size);
    FakeEnvironment environment;
    CheckSplit(line);
    CheckExpandFirstVariable(line, environment);  // a target may hold anything a line holds
    CheckParseLine(line, environment);
    return 0;
}
