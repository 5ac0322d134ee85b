// adb command lines are texts split into arguments by the Windows rules:
// blanks (space, tab) separate, double quotes group, and backslashes escape
// quotes as CommandLineToArgvW reads them. The split argv is executed directly,
// so a quote, "$", ";" or backtick inside an argument is only data.
#pragma once

#include <string>
#include <vector>

namespace mobrel {

std::vector<std::string> splitCommandLine(const std::string& line);

// text as one quoted argument that splitCommandLine gives back byte for byte,
// whatever it holds (up to its first NUL, which no argument can carry). Every
// value that did not come from this library (serials, paths, file names) goes
// into an argument text through this.
std::string quoteArg(const std::string& text);

}  // namespace mobrel
