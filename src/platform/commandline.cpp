#include "platform/commandline.h"

namespace iconlane {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
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

}  // namespace iconlane
