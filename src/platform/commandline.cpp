#include "platform/commandline.h"

namespace iconlane {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads one argument from `at` on, leaving `at` after it. `quotes` counts as the system does: 0
// outside quotes, 1 inside; a run of quotes raises it, and every third one is a literal quote.
std::string ReadArgument(std::string_view text, std::size_t& at) {
    std::string argument;
    int quotes = 0;
    while (at < text.size() && (quotes != 0 || !IsBlank(text[at]))) {
        std::size_t backslashes = 0;
        while (at < text.size() && text[at] == '\\') ++backslashes, ++at;
        if (at == text.size() || text[at] != '"') {
            argument.append(backslashes, '\\');
            if (backslashes == 0) argument += text[at++];
            continue;
        }
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
            argument += '"';
        } else {
            ++quotes;
        }
        for (++at; at < text.size() && text[at] == '"'; ++at) {
            if (++quotes == 3) argument += '"', quotes = 0;
        }
        if (quotes == 2) quotes = 0;
    }
    return argument;
}

}  // namespace

std::string ArgumentsOf(std::string_view raw) {
    std::size_t pos = 0;
    if (!raw.empty() && raw[0] == '"') {
        std::size_t closing = raw.find('"', 1);
        pos = closing == std::string_view::npos ? raw.size() : closing + 1;
    } else {
        while (pos < raw.size() && !IsBlank(raw[pos])) ++pos;
    }
    while (pos < raw.size() && IsBlank(raw[pos])) ++pos;
    return std::string(raw.substr(pos));
}

std::vector<std::string> SplitArguments(std::string_view arguments) {
    std::vector<std::string> split;
    for (std::size_t at = 0;;) {
        while (at < arguments.size() && IsBlank(arguments[at])) ++at;
        if (at == arguments.size()) return split;
        split.push_back(ReadArgument(arguments, at));
    }
}

}  // namespace iconlane
