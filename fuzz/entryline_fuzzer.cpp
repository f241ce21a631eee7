// One entry line: it makes one entry or one report; the fields put together give back the line.
#include "harness.h"
#include "lane/entryline.h"

struct NoVariables : iconlane::Environment {  // an undefined %NAME% leaves the target as written
    std::string Variable(const std::string&) const override { return ""; }
    std::string RoamingFolder() const override { return ""; }
};
struct Reports : iconlane::Dialogs {
    void ShowMessage(const std::string& text, iconlane::MessageStyle,
                     const std::string& title) override {
        FUZZ_CHECK(title == "Iconlane" && text.starts_with("Unexpected error #"));
        quoted = text.find("'" + line.substr(0, 200)) != std::string::npos, ++count;
    }
    std::string line;
    int count = 0, quoted = 0;
};

void Fuzz(const std::string& line) {
    Reports reports;
    reports.line = line;
    int entries = 0;
    iconlane::ParseLine(line, NoVariables(), reports, [&](auto& target, auto& tooltip, auto& icon) {
        const auto first = line.find(','), second = line.find(',', first + 1);
        FUZZ_CHECK(first == std::string::npos    ? tooltip == line && icon.empty()
                   : second == std::string::npos ? target + "," + tooltip == line && icon.empty()
                                                 : target + "," + tooltip + "," + icon == line);
        ++entries;
    });
    FUZZ_CHECK(entries + reports.count == 1 && (reports.count == 0 || reports.quoted));
}
