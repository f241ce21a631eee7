// The options file: ReadOptions over arbitrary bytes through a fake platform that offers only
// what reading options may use, and the ItemReader + ApplyOptionItem steps driven directly.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "fuzzsupport.h"
#include "platform/errors.h"
#include "platform/services.h"
#include "platform/textreader.h"
#include "platform/textrules.h"
#include "startup/options.h"

namespace iconlane::fuzz {
namespace {

constexpr const char* kFolder = "C:\\Tools";
constexpr const char* kPath = "C:\\Tools\\Iconlane.ini";

// Every service; reading options may only find and read its file and show a message.
class OptionsPlatform final : public Dialogs,
                              public Environment,
                              public Process,
                              public FileSystem,
                              public Pictures,
                              public TrayShell,
                              public WindowSystem,
                              public Shell,
                              public ExitDialog,
                              public Registry,
                              public HelpWindowHost {
public:
    explicit OptionsPlatform(std::string contents) : contents_(std::move(contents)) {}

    void ShowMessage(const std::string& text, MessageStyle style,
                     const std::string& title) override {
        messages.push_back(text);
        FUZZ_CHECK(style == MessageStyle::kCritical);
        FUZZ_CHECK(title == "Iconlane!");
    }
    std::string ProgramFolder() const override { return kFolder; }
    std::string FindFirst(const std::string& pattern, SearchKind kind) override {
        FUZZ_CHECK(pattern == kPath && kind == SearchKind::kFilesOnly);
        return "Iconlane.ini";
    }
    std::string ReadFile(const std::string& path) override {
        FUZZ_CHECK(path == kPath);
        return contents_;
    }

    [[noreturn]] static void Unexpected() {
        Fail("a service that reading options needs not", __FILE__, __LINE__);
    }
    std::string Variable(const std::string&) const override { Unexpected(); }
    ProgramVersion Version() const override { Unexpected(); }
    std::string DecimalSeparator() const override { Unexpected(); }
    std::string CommandLine() const override { Unexpected(); }
    void EndNow() override { Unexpected(); }
    void CreateFolder(const std::string&) override { Unexpected(); }
    PicturePtr LoadPictureFile(const std::string&) override { Unexpected(); }
    PicturePtr ExtractIconPicture(const std::string&, std::int32_t) override { Unexpected(); }
    void SaveIconFile(const Picture&, const std::string&) override { Unexpected(); }
    std::string SystemDirectory() override { Unexpected(); }
    PicturePtr UpImage() override { Unexpected(); }
    PicturePtr BuiltInIcon() override { Unexpected(); }
    bool NotifyIcon(TrayOperation, const TrayRecord&) override { Unexpected(); }
    std::unique_ptr<TraySlot> CreateTraySlot(std::uint32_t, const std::vector<std::string>&,
                                             TraySlotEvents&) override {
        Unexpected();
    }
    void RunMessageLoop() override { Unexpected(); }
    void QuitMessageLoop() override { Unexpected(); }
    std::int32_t OpenTarget(const std::string&) override { Unexpected(); }
    void Ask(const std::string&, const ExitAnswered&) override { Unexpected(); }
    std::optional<std::string> ReadClassesRootDefault(const std::string&) override { Unexpected(); }
    bool ShowModal(HelpWindowEvents&) override { Unexpected(); }

    Services services{*this, *this, *this, *this, *this, *this, *this, *this, *this, *this, *this};
    std::vector<std::string> messages;

private:
    std::string contents_;
};

struct Outcome {
    Options options;
    std::vector<std::string> messages;
};

Outcome Read(const std::string& contents) {
    OptionsPlatform platform(contents);
    Outcome outcome;
    ReadOptions(platform.services, outcome.options);
    outcome.messages = platform.messages;
    return outcome;
}

bool Same(const Options& a, const Options& b) {
    return a.ExitDisabled == b.ExitDisabled && a.HelpDisabled == b.HelpDisabled &&
           a.RightMenuDisabled == b.RightMenuDisabled && a.ClickMessage == b.ClickMessage;
}

// Lines added at the end of a file, and what they leave the one option they name at: "FALSE"
// clears a flag and anything else sets it, SINGLE picks the single click and anything else the
// double click, an item without "=" reuses the latest key, comments and blanks count for nothing.
struct Tail {
    const char* text;
    bool Options::*flag;  // null for the click mode
    std::int32_t expected;
};

const Tail kTails[] = {
    {"\nEXITDISABLED=FALSE", &Options::ExitDisabled, 0},
    {"\r\nexitdisabled=true", &Options::ExitDisabled, 1},
    {"\nHelpDisabled=", &Options::HelpDisabled, 1},
    {"\nHELPDISABLED=FALSE\n1", &Options::HelpDisabled, 1},
    {"\nHELPDISABLED=yes,\t\"false\" ", &Options::HelpDisabled, 0},
    {"\nRIGHTMOUSEMENUDISABLED=0\n false", &Options::RightMenuDisabled, 0},
    {"\rRIGHTMOUSEMENUDISABLED=FALSE\n;x\n \t\n,", &Options::RightMenuDisabled, 0},
    {"\nCLICKMODE=single", nullptr, kSingleClickMessage},
    {"\nCLICKMODE=SINGLE,DOUBLE", nullptr, kDoubleClickMessage},
    {"\nclickmode=\n\"Single\"", nullptr, kSingleClickMessage},
    {"\nCLICKMODE=SINGLE\n;,x", nullptr, kDoubleClickMessage},  // a comma ends the comment
};

// One tail, chosen by the input: it sets its option and leaves the others as they were, unless
// the file failed, which ends the reading before the tail.
void CheckTail(const std::string& contents, const Outcome& outcome) {
    const Tail& tail =
        kTails[(contents.size() + static_cast<unsigned char>(contents.back())) % std::size(kTails)];
    Outcome extended = Read(contents + tail.text);
    Options expected = outcome.options;
    if (outcome.messages.empty()) {
        if (tail.flag != nullptr) {
            expected.*tail.flag = tail.expected != 0;
        } else {
            expected.ClickMessage = tail.expected;
        }
    }
    FUZZ_CHECK(Same(extended.options, expected));
    FUZZ_CHECK(extended.messages == outcome.messages);
}

void CheckReadOptions(const std::string& contents) {
    Outcome outcome = Read(contents);
    const Options& options = outcome.options;
    const Options defaults;
    FUZZ_CHECK(options.ClickMessage == 0 || options.ClickMessage == kSingleClickMessage ||
               options.ClickMessage == kDoubleClickMessage);

    // An option changes only through an item that names its key, after an "=".
    const std::string upper = UpperCase(contents);
    if (contents.find('=') == std::string::npos) FUZZ_CHECK(Same(options, defaults));
    if (upper.find("EXITDISABLED") == std::string::npos) FUZZ_CHECK(!options.ExitDisabled);
    if (upper.find("HELPDISABLED") == std::string::npos) FUZZ_CHECK(!options.HelpDisabled);
    if (upper.find("RIGHTMOUSEMENUDISABLED") == std::string::npos) {
        FUZZ_CHECK(!options.RightMenuDisabled);
    }
    if (upper.find("CLICKMODE") == std::string::npos) FUZZ_CHECK(options.ClickMessage == 0);
    if (upper.find("SINGLE") == std::string::npos) {
        FUZZ_CHECK(options.ClickMessage != kSingleClickMessage);
    }

    // The only failure a file can cause is an "=" beyond the text positions.
    FUZZ_CHECK(outcome.messages.size() <= 1);
    if (!outcome.messages.empty()) {
        FUZZ_CHECK(outcome.messages[0] == "Error 6 (Overflow) occurred during Options File Read.");
        FUZZ_CHECK(contents.size() >= static_cast<std::size_t>(kMaxTextPosition));
    }

    // Padded inputs are read only once: three more readings of 32 KB would slow the whole run.
    if (contents.size() >= kPaddingBase || contents.empty()) return;
    // Keys and values are not case-sensitive.
    for (const std::string& variant : {upper, LowerCase(contents)}) {
        Outcome other = Read(variant);
        FUZZ_CHECK(Same(other.options, options));
        FUZZ_CHECK(other.messages == outcome.messages);
    }
    CheckTail(contents, outcome);
}

// The items in order, each a piece of the text with no line break in it; each applied the way
// ReadOptions applies it, keeping the key of the latest item with an "=".
void CheckItems(const std::string& contents) {
    ItemReader reader(contents);
    std::size_t cursor = ByteOrderMarkLength(contents), items = 0, itemBytes = 0;
    std::string key;
    Options options;
    while (!reader.AtEnd()) {
        std::string item = reader.ReadItem();
        // Every item consumes at least one byte, so a file cannot make the reader loop.
        FUZZ_CHECK(++items <= contents.size());
        itemBytes += item.size();
        FUZZ_CHECK(item.find_first_of("\r\n") == std::string::npos);
        std::size_t found = contents.find(item, cursor);
        FUZZ_CHECK(found != std::string::npos);
        cursor = found + item.size();
        try {
            ApplyOptionItem(item, key, options);
            FUZZ_CHECK(key == UpperCase(key));
            std::size_t equals = item.find('=');
            if (equals != std::string::npos) FUZZ_CHECK(key == UpperCase(item.substr(0, equals)));
        } catch (const RuntimeError& error) {
            FUZZ_CHECK(error.Number() == kOverflow);
            FUZZ_CHECK(item.find('=') + 1 > static_cast<std::size_t>(kMaxTextPosition));
        }
    }
    FUZZ_CHECK(itemBytes <= contents.size());
}

}  // namespace
}  // namespace iconlane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace iconlane::fuzz;
    const std::string contents = InputText(data, size);
    CheckReadOptions(contents);
    CheckItems(contents);
    return 0;
}
