// Typed exchanges on the service channel: what most commands need from a reply.
// Each offers a zeroed buffer, so a failed exchange reads as 0 / empty text.
#pragma once

#include <cstdint>
#include <string>

namespace mobrel {

struct IntReply {
    int bytes = -1;     // what SendCommandToAndroidServices returned
    int32_t value = 0;  // the little-endian integer at the start of the body
};

// A command answered by a 4-byte integer.
IntReply sendForInt(const std::string& command);

// "AddPerson:": an 8-byte integer; 0 when the exchange failed or the reply
// is of another length.
int64_t sendForInt64(const std::string& command);

// A command answered by text (a path, a package name, "HI-PC"), received into
// a buffer of bufferSize bytes; the text ends at the first NUL. bytes gets the
// exchange's result when given.
std::string sendForText(const std::string& command, int bufferSize, int* bytes = nullptr);

// Reads the little-endian integers of a reply body.
int32_t readLe32(const char* bytes);
int64_t readLe64(const char* bytes);

}  // namespace mobrel
