// Record replies of any content walked as the catalogues do: each step moves forward, keys and values inside.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hex.h"
#include "record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> reply(data, data + size);
    reply.push_back('\0');
    char* const begin = reply.data();
    char* const end = begin + std::strlen(begin);
    auto inside = [&](const char* p) { return p >= begin && p <= end; };

    char* pos = begin;
    while (pos < end) {
        if (*pos == '.') {  // end of a record
            ++pos;
            continue;
        }
        mobrel::RecordItem item;
        char* next = mobrel::parseRecordItem(pos, item);
        if (next <= pos || next > end) std::abort();
        if ((item.key == nullptr) != (item.value == nullptr)) std::abort();
        if (item.key) {
            if (!inside(item.key) || !inside(item.value) || item.value >= next) std::abort();
            if (std::strchr(item.key, ';') || std::strchr(item.value, ':')) std::abort();
            if (mobrel::hexDecode(item.value).size() > mobrel::kHexByteLimit) std::abort();
        } else if (next != end) {
            std::abort();  // only an unfinished last item gives nothing
        }
        pos = next;
    }
    return 0;
}
