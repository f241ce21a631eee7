// The argument text of a raw process command line, and its arguments one by one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace iconlane {

// The command line without the program's path and the blanks after it; nothing else is removed.
// The path runs to its closing quote when it starts with one, else to the first blank or tab.
std::string ArgumentsOf(std::string_view rawCommandLine);

// The arguments after the program's path as CommandLineToArgvW splits them, so that a path that
// Windows hands over in quotes (Send To does) comes out whole: blanks and tabs outside quotes
// separate them; a quote starts or ends the quoting and is dropped; backslashes are kept except
// before a quote, where 2n of them give n and the quote counts, and 2n + 1 give n and a literal
// quote; within quotes a doubled quote gives one literal quote and ends the quoting.
std::vector<std::string> SplitArguments(std::string_view arguments);

}  // namespace iconlane
