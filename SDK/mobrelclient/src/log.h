// The diagnostic log: <documents>/LogFiles/mobrelcore.log, recreated by the first
// message of the process, with a copy of every message on stderr.
#pragma once

namespace mobrel {

// Formats printf-style into a 4096-byte buffer (longer texts are cut) and writes
// exactly that text, with one write, to the log and to stderr. Messages carry
// their own line ends.
void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same, preceded by "file:<source>, line:<line>\n" in the same write.
void logMessageAt(const char* source, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace mobrel
