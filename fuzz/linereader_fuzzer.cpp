// Batch files: LineReader over arbitrary bytes. One input is one file's contents.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzsupport.h"
#include "platform/textreader.h"

namespace iconlane::fuzz {
namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// The text with its byte-order mark dropped and every CR LF and lone CR turned into LF.
std::string WithLineFeeds(const std::string& contents) {
    std::string text = contents.compare(0, 3, kByteOrderMark) == 0 ? contents.substr(3) : contents;
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            result += text[i];
        } else {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    return result;
}

void CheckLines(const std::string& contents) {
    LineReader reader(contents);
    std::string joined;  // each line followed by LF
    std::size_t lines = 0, lineBytes = 0;
    bool firstLine = true;
    while (!reader.AtEnd()) {
        std::string line = reader.ReadLine();
        FUZZ_CHECK(++lines <= contents.size());  // every line uses up at least one byte
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        if (firstLine && contents.compare(0, 3, kByteOrderMark) == 0) {
            // The mark is no part of the first line, but whatever follows it is.
            std::size_t end = contents.find_first_of("\r\n", 3);
            FUZZ_CHECK(line == contents.substr(3, end == std::string::npos ? end : end - 3));
        }
        firstLine = false;
        lineBytes += line.size();
        joined += line + '\n';
    }
    FUZZ_CHECK(lineBytes <= contents.size());

    // The lines are the text's lines: nothing lost, nothing added, and a terminator at the very
    // end starts no further line.
    std::string text = WithLineFeeds(contents);
    if (text.empty()) {
        FUZZ_CHECK(lines == 0);
    } else if (text.back() == '\n') {
        FUZZ_CHECK(joined == text);
    } else {
        FUZZ_CHECK(joined == text + '\n');
    }
}

}  // namespace
}  // namespace iconlane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    iconlane::fuzz::CheckLines(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
