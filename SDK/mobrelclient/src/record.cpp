#include "record.h"

#include <cstring>

namespace mobrel {

char* parseRecordItem(char* pos, RecordItem& item) {
    item = RecordItem {};
    char* end = std::strchr(pos, ';');
    if (!end) return pos + std::strlen(pos);
    *end = '\0';

    char* lastColon = std::strrchr(pos, ':');
    if (!lastColon) {
        item.key = pos;
        item.value = end;
        return end + 1;
    }
    *lastColon = '\0';
    char* keyColon = std::strrchr(pos, ':');
    item.key = keyColon ? keyColon + 1 : pos;
    item.value = lastColon + 1;
    return end + 1;
}

}  // namespace mobrel
