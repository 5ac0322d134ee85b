// Whole writes and reads on a socket, for the adb side and the companion alike.
#pragma once

#include <cstddef>

namespace phonesim {

// Never raises SIGPIPE; false on error or end of stream.
bool writeAll(int fd, const char* data, size_t size);
bool readAll(int fd, char* data, size_t size);

}  // namespace phonesim
