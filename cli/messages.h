#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace veltrane {

// Writes `text` to `err` (standard error), every line of it beginning with "pravik: ", in one
// write.
void printError(std::ostream& err, std::string_view text);

// A text the program refuses, as its messages quote it: in double quotes, with quotes,
// backslashes and control characters escaped so the message stays on one line. A text that a
// spreadsheet would take for a formula ("=", "+", "-", "@" or a tab first) gets an apostrophe
// in front.
std::string quotedText(std::string_view text);

} // namespace veltrane
