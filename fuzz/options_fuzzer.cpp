// The options file: its items only ever overflow or name no hot key, and leave a known click
// message and a hot key whose name reads back as itself.
#include "harness.h"
#include "platform/options.h"
#include "platform/textreader.h"

void Fuzz(const std::string& contents) {
    iconlane::ItemReader reader(contents);
    iconlane::Options options;
    std::string key;
    for (std::size_t items = 0; !reader.AtEnd(); ++items) {
        FUZZ_CHECK(items <= contents.size());  // every item uses up at least one byte
        const std::string item = reader.ReadItem();
        ErrorOf([&] { iconlane::ApplyOptionItem(item, key, options); },
                {iconlane::kOverflow, iconlane::kInvalidArgument});
        FUZZ_CHECK(options.ClickMessage == 0 ||
                   options.ClickMessage == iconlane::kSingleClickMessage ||
                   options.ClickMessage == iconlane::kDoubleClickMessage);
        FUZZ_CHECK(!options.HotKey ||
                   iconlane::ReadChord(iconlane::ChordName(*options.HotKey)) == options.HotKey);
    }
}
