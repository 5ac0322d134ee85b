#include "flush_figures.h"

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>

#include "channel.h"
#include "mobrelclient.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// What a category's list holds: records, their text bytes, and the bytes of
// their structures, a conversation's or call group's share included.
struct Tally {
    long records = 0;
    size_t text = 0;
    size_t structures = 0;
};

size_t textBytes(const char* text) { return text ? std::strlen(text) : 0; }

Tally contacts() {
    Tally t;
    MobrelContact* c = nullptr;
    MobrelApi_GetPerson(&c);
    for (; c; c = c->next, ++t.records) {
        for (char* const* field = &c->contactId; field <= &c->workEmail; ++field) {
            char* text = nullptr;
            std::memcpy(&text, field, sizeof text);  // the record is packed
            t.text += textBytes(text);
        }
        t.structures += sizeof(MobrelContact);
    }
    return t;
}

Tally messages() {
    Tally t;
    MobrelSmsThread* thread = nullptr;
    MobrelApi_GetSMS(&thread);
    for (; thread; thread = thread->next) {
        t.structures += sizeof(MobrelSmsThread);
        for (MobrelSms* m = thread->firstMessage; m; m = m->next, ++t.records) {
            for (const char* text : {m->id, m->person, m->address, m->body, m->date, m->type, m->read, m->threadId,
                                     m->extra})
                t.text += textBytes(text);
            t.structures += sizeof(MobrelSms);
        }
    }
    return t;
}

Tally calls() {
    Tally t;
    MobrelCallGroup* group = nullptr;
    MobrelApi_GetCallHistory(&group);
    for (; group; group = group->next) {
        t.structures += sizeof(MobrelCallGroup);
        for (MobrelCallLog* e = group->firstEntry; e; e = e->next, ++t.records) {
            for (const char* text : {e->id, e->name, e->number, e->date, e->type, e->duration, e->extra})
                t.text += textBytes(text);
            t.structures += sizeof(MobrelCallLog);
        }
    }
    return t;
}

// A media list, read through its Get*Info export until it answers no more.
template <class Info>
Tally media(int (*get)(Info**, int), std::initializer_list<char* Info::*> fields) {
    Tally t;
    Info* item = nullptr;
    for (int i = 0; get(&item, i) == 0; ++i, ++t.records) {
        for (char* Info::*field : fields) t.text += textBytes(item->*field);
        t.structures += sizeof(Info);
    }
    return t;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double noOpExchanges(uint64_t count) {
    char reply[1024];
    const auto start = Clock::now();
    for (uint64_t i = 0; i < count; ++i) {
        std::memset(reply, 0, sizeof reply);
        mobrel::SendCommandToAndroidServices("hello-manager;", reply, sizeof reply, nullptr, 0, 0);
    }
    return seconds(Clock::now() - start);
}

struct Category {
    const char* key;
    const char* name;
    const char* record;
    int (*flush)();
    std::function<Tally()> tally;
    // A first media flush pulls each thumbnail with adb: no exchange floor to hold
    // it to. The flush after it finds them cached, but replaces a list of the same
    // size: the heap is read on the first.
    enum Flush { Records, Pulls, Cached } kind = Records;
};

void measure(Report& report, const Category& category) {
    std::fprintf(stderr, "flushing %s\n", category.name);
    mobrel::ServiceChannel& channel = mobrel::serviceChannel();
    const size_t heapBefore = mallinfo2().uordblks;
    const uint64_t exchangesBefore = channel.exchangeCount();
    const auto start = Clock::now();
    const int result = category.flush();
    const double wall = seconds(Clock::now() - start);
    const uint64_t exchanges = channel.exchangeCount() - exchangesBefore;
    const double heap = static_cast<double>(mallinfo2().uordblks) - static_cast<double>(heapBefore);
    const Tally t = category.tally();
    const double floor = noOpExchanges(exchanges);
    const double records = t.records > 0 ? static_cast<double>(t.records) : 1.0;
    const std::string key = std::string("flush.") + category.key;
    char label[160];
    std::snprintf(label, sizeof label, "%s: %ld in %.2f s, %llu exchanges, floor %.2f s%s", category.name, t.records,
                  wall, static_cast<unsigned long long>(exchanges), floor, result < 0 ? " (FAILED)" : "");
    report.add({key + ".ratio", label, floor > 0 ? wall / floor : 0, "x", category.kind == Category::Pulls ? NAN : 1.2});
    if (category.kind == Category::Cached) return;
    const double structure = t.structures / records, text = t.text / records;
    std::snprintf(label, sizeof label, "  heap per %s (structure %.0f B, text %.0f B)", category.record, structure, text);
    report.add({key + ".heap", label, heap / records, "B", structure + 1.2 * text});
}

}  // namespace

void measureFlushes(Report& report) {
    const auto photos = [] { return media(MobrelApi_GetPhotoInfo, {&MobrelPhotoInfo::title, &MobrelPhotoInfo::path}); };
    const auto videos = [] {
        return media(MobrelApi_GetVideoInfo,
                     {&MobrelVideoInfo::title, &MobrelVideoInfo::displayName, &MobrelVideoInfo::path});
    };
    const auto music = [] {
        return media(MobrelApi_GetMusicInfo, {&MobrelMusicInfo::title, &MobrelMusicInfo::album,
                                              &MobrelMusicInfo::artist, &MobrelMusicInfo::path});
    };
    const Category categories[] = {
        {"contacts", "contacts", "contact", MobrelApi_FlushPerson, contacts},
        {"messages", "messages", "message", MobrelApi_FlushSMS, messages},
        {"calls", "call log", "call", MobrelApi_FlushCallHistory, calls},
        {"photos.pulls", "photos, thumbnails pulled", "photo", MobrelApi_FlushPhotos, photos, Category::Pulls},
        {"photos", "photos, thumbnails cached", "photo", MobrelApi_FlushPhotos, photos, Category::Cached},
        {"videos.pulls", "videos, thumbnails pulled", "video", MobrelApi_FlushVideo, videos, Category::Pulls},
        {"videos", "videos, thumbnails cached", "video", MobrelApi_FlushVideo, videos, Category::Cached},
        {"music.pulls", "music, thumbnails pulled", "song", MobrelApi_FlushMusic, music, Category::Pulls},
        {"music", "music, thumbnails cached", "song", MobrelApi_FlushMusic, music, Category::Cached},
    };
    report.heading("Library flush against the no-op exchange floor; heap kept per record");
    for (const Category& category : categories) measure(report, category);
}

}  // namespace bench
