// The argument text of a raw process command line.
#pragma once

#include <string>
#include <string_view>

namespace iconlane {

// The command line without the program's path and the blanks after it; nothing else is removed.
// The path runs to its closing quote when it starts with one, else to the first blank or tab.
std::string ArgumentsOf(std::string_view rawCommandLine);

}  // namespace iconlane
