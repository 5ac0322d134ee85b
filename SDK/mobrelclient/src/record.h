// Record replies: items "KEY:HEXVALUE;" in sequence, a "." in place of an item
// ending the current record.
#pragma once

namespace mobrel {

// One item cut out of a reply; points into the reply text. The caller owns it,
// so several threads may parse at once.
struct RecordItem {
    char* key = nullptr;
    char* value = nullptr;
};

// Cuts the item at pos in place (its last ":" and its ";" become NULs) and
// returns the position after the ";". The key is the text between the last two
// ":" before the ";" (or from pos), the value the text after the last ":"; an
// item without ":" is all key with an empty value. When no ";" follows, the
// item is cleared (both null) and the end of the text is returned. Callers skip
// a "." themselves.
char* parseRecordItem(char* pos, RecordItem& item);

}  // namespace mobrel
