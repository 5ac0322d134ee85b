// The phone's shell reading a simple command line: how adb's quoted command
// texts ("rm '/sdcard/a b' </dev/null") turn into words.
#pragma once

#include <string>
#include <vector>

namespace phonesim::adb {

// Blanks separate words; '...' is literal; "..." keeps blanks and lets a
// backslash escape " \ $ and `; outside quotes a backslash escapes the next
// character. Redirections (<f, > f, 2>&1, >>f) are dropped with their target.
// Nothing is expanded. False for an unterminated quote.
bool splitShellWords(const std::string& line, std::vector<std::string>& words);

// The word in single quotes, so that splitShellWords gives it back unchanged.
std::string singleQuote(const std::string& word);

}  // namespace phonesim::adb
