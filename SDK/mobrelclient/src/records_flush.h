// Fetching contacts, messages and the call log again from the phone, in pages
// of five records, with the category's counters moving as it goes.
#pragma once

#include <string>

#include "context.h"
#include "records_parse.h"

namespace mobrel {

// What tells the three paged categories apart.
struct PagedCategory {
    ItemType type;
    const char* countCommand;
    std::string (*pageCommand)(int start);
    const KeyList& keys;
    bool countMustBePositive;  // messages and call log: a count of 0 or less fails the flush
    bool logPageFailure;       // messages log "error: ret = %d\n" for a failed page
};

// The shared paged fetch into sink, whose old records the caller has freed.
// Sets the loaded flag and both counters to 0, asks the count (a failed count:
// -1, total 0), then fetches the pages, setting current to position + 5 after
// each. A page that fails (no reply, 1 byte, too long, or not a single record) ends the
// fetch with -1; the records parsed so far are kept. The total ends as the
// number of records kept.
int fetchPaged(const PagedCategory& category, RecordSink& sink);

// The three flushes: free the old copy, fetch again. 0 or -1.
int flushContacts();
int flushMessages();
int flushCallLog();

}  // namespace mobrel
