#include "records_parse.h"

#include <cstring>

#include "hex.h"
#include "record.h"

namespace mobrel {

int KeyList::find(const char* key) const {
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(keys[i], key) == 0) return i;
    }
    return -1;
}

void WorkingRecord::set(int field, const char* hexValue) {
    std::string& out = text[field];
    // The whole value: a long message body or note cut here would be lost from
    // every backup made of the list. A text ends at its first NUL.
    const size_t digits = std::strlen(hexValue);
    out = hexDecode(hexValue, digits / 2 + 1);
    out.resize(std::strlen(out.c_str()));
    present[field] = true;
}

void WorkingRecord::clear() {
    for (int i = 0; i < kMaxFields; ++i) {
        text[i].clear();
        present[i] = false;
    }
}

int parsePage(char* page, const KeyList& keys, WorkingRecord& work, RecordSink& sink) {
    int closed = 0;
    work.clear();
    RecordItem item;
    char* pos = page;
    while (*pos) {
        if (*pos == '.') {
            sink.store(work);
            work.clear();
            ++closed;
            ++pos;
            continue;
        }
        pos = parseRecordItem(pos, item);
        if (!item.key) break;  // an item without ";" ends the page
        const int field = keys.find(item.key);
        if (field >= 0) work.set(field, item.value);
    }
    work.clear();
    return closed;
}

}  // namespace mobrel
