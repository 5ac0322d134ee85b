#include "records_flush.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "channel.h"
#include "commands.h"
#include "exchange.h"
#include "log.h"
#include "records_lists.h"

namespace mobrel {

namespace {

constexpr int kPageRecords = 5;

// The page buffer is one for the whole library: flushes of two categories
// running at once take turns with it, one page (reply and parsing) at a time.
std::mutex pageBufferMutex;

// Fetches and parses the page at position. The number of records it closed,
// or -1 for a failed page.
int fetchPage(const PagedCategory& category, int position, WorkingRecord& work, RecordSink& sink) {
    LibraryContext& context = libraryContext();
    std::lock_guard<std::mutex> lock(pageBufferMutex);
    if (!context.pageBuffer) return -1;
    // The reply may fill all but the last byte, which takes the closing NUL.
    const int result = SendCommandToAndroidServices(category.pageCommand(position).c_str(), context.pageBuffer,
                                                    context.pageBufferSize - 1, nullptr, 0, 0);
    int closed = -1;
    if (result >= 2 && result < context.pageBufferSize) {
        context.pageBuffer[result] = '\0';
        closed = parsePage(context.pageBuffer, category.keys, work, sink);
    }
    // A page that closes no record is not a page of records: the phone failed.
    if (closed <= 0) {
        if (category.logPageFailure) logMessage("error: ret = %d\n", result);
        return -1;
    }
    return closed;
}

}  // namespace

int fetchPaged(const PagedCategory& category, RecordSink& sink) {
    ItemProgress& progress = libraryContext().items[category.type];
    progress.loaded = 1;
    // The sink starts empty, and so do the counters: a flush that fails at its
    // count lists nothing and says so.
    progress.current = 0;
    progress.total = 0;

    const IntReply count = sendForInt(category.countCommand);
    if (count.bytes != 4 || (category.countMustBePositive && count.value <= 0)) return -1;
    progress.total = count.value;

    WorkingRecord work;
    for (int64_t position = 0; position < count.value; position += kPageRecords) {
        if (fetchPage(category, static_cast<int>(position), work, sink) < 0) {
            progress.total = sink.kept();
            return -1;
        }
        progress.current = static_cast<int32_t>(std::min<int64_t>(position + kPageRecords, INT32_MAX));
    }
    progress.total = sink.kept();
    return 0;
}

int flushContacts() {
    static const PagedCategory contacts {kContacts, cmd::kContactCount, cmd::contactPage, kContactKeys, false, false};
    ContactList& list = contactList();
    list.clear();
    return fetchPaged(contacts, list);
}

int flushMessages() {
    static const PagedCategory messages {kMessages, cmd::kSmsCount, cmd::smsPage, kMessageKeys, true, true};
    MessageList& list = messageList();
    list.clear();
    MessageBuilder builder(list);
    return fetchPaged(messages, builder);
}

int flushCallLog() {
    static const PagedCategory callLog {kCallLog, cmd::kCallLogCount, cmd::callLogPage, kCallLogKeys, true, false};
    CallLogList& list = callLogList();
    list.clear();
    CallLogBuilder builder(list);
    return fetchPaged(callLog, builder);
}

}  // namespace mobrel
