// A batch file's lines: without line breaks, nothing lost, nothing added but a byte-order mark.
#include <algorithm>

#include "harness.h"
#include "platform/textreader.h"

void Fuzz(const std::string& contents) {
    iconlane::LineReader reader(contents);
    std::string joined, text = contents.starts_with("\xEF\xBB\xBF") ? contents.substr(3) : contents;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; ++at)
        text.replace(at, 2, "\n");
    std::replace(text.begin(), text.end(), '\r', '\n');
    for (std::size_t lines = 0; !reader.AtEnd(); ++lines) {
        const std::string line = reader.ReadLine();
        FUZZ_CHECK(lines < contents.size() && line.find_first_of("\r\n") == std::string::npos);
        joined += line + "\n";
    }
    FUZZ_CHECK(joined == (text.empty() || text.ends_with("\n") ? text : text + "\n"));
}
