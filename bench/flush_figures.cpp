#include "flush_figures.h"

#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

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
        t.structures += sizeof(Info) + sizeof(void*);  // the list reaches each record through a pointer
    }
    return t;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The processor time this process has used: the library's own work, apart from
// the phone's and the adb server's.
double cpuSeconds() {
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// The processor time another process has used (user and system, in clock ticks).
double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t end = line.rfind(')');  // the command name may hold spaces
    std::istringstream fields(end == std::string::npos ? std::string() : line.substr(end + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

pid_t phonePid = -1;

// Flush and floor take turns, and the quickest of each counts: what is left above
// it is the machine's doing.
constexpr int kRepeats = 5;

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
    int (*flush)();
    std::function<Tally()> tally;
    // A first media flush pulls each thumbnail with adb: no exchange floor holds
    // it, and it runs once. The flushes after it find them cached.
    bool pullsThumbnails = false;
};

// The heap a flush left held, over the records it listed.
struct Heap {
    double bytes = 0;
    Tally tally;

    void add(Report& report, const std::string& key, const std::string& what) const {
        const double records = tally.records > 0 ? static_cast<double>(tally.records) : 1.0;
        const double structure = tally.structures / records, text = tally.text / records;
        char label[160];
        std::snprintf(label, sizeof label, "  heap per %s (structure %.0f B, text %.0f B)", what.c_str(), structure,
                      text);
        report.add({key, label, bytes / records, "B", structure + 1.2 * text});
    }
};

// The first flush of a category also tells the heap it holds; media records are
// kept for the life of the process, so a later flush of theirs adds its own.
Heap measure(Report& report, const Category& category) {
    std::fprintf(stderr, "flushing %s\n", category.name);
    mobrel::ServiceChannel& channel = mobrel::serviceChannel();
    Heap heap;
    double quickest = 1e300, floor = 1e300, cpu = 1e300, phoneCpu = 1e300;
    uint64_t exchanges = 0;
    int result = 0;
    for (int run = 0; run < (category.pullsThumbnails ? 1 : kRepeats); ++run) {
        const size_t heapBefore = mallinfo2().uordblks;
        const uint64_t exchangesBefore = channel.exchangeCount();
        const auto start = Clock::now();
        const double cpuStart = cpuSeconds(), phoneStart = cpuSeconds(phonePid);
        result = std::min(result, category.flush());
        cpu = std::min(cpu, cpuSeconds() - cpuStart);
        phoneCpu = std::min(phoneCpu, cpuSeconds(phonePid) - phoneStart);
        quickest = std::min(quickest, seconds(Clock::now() - start));
        exchanges = channel.exchangeCount() - exchangesBefore;
        if (run == 0) heap.bytes = static_cast<double>(mallinfo2().uordblks) - static_cast<double>(heapBefore);
        floor = std::min(floor, noOpExchanges(exchanges));
    }
    heap.tally = category.tally();
    char label[160];
    std::snprintf(label, sizeof label, "%s: %ld in %.2f s (CPU %.2f s, phone %.2f s), %llu exchanges, floor %.2f s%s",
                  category.name, heap.tally.records, quickest, cpu, phoneCpu,
                  static_cast<unsigned long long>(exchanges), floor, result < 0 ? " (FAILED)" : "");
    report.add({std::string("flush.") + category.key + ".ratio", label, floor > 0 ? quickest / floor : 0, "x",
                category.pullsThumbnails ? NAN : 1.2});
    return heap;
}

}  // namespace

void measureFlushes(Report& report, pid_t phone) {
    phonePid = phone;
    const auto photos = [] { return media(MobrelApi_GetPhotoInfo, {&MobrelPhotoInfo::title, &MobrelPhotoInfo::path}); };
    const auto videos = [] {
        return media(MobrelApi_GetVideoInfo,
                     {&MobrelVideoInfo::title, &MobrelVideoInfo::displayName, &MobrelVideoInfo::path});
    };
    const auto music = [] {
        return media(MobrelApi_GetMusicInfo, {&MobrelMusicInfo::title, &MobrelMusicInfo::album,
                                              &MobrelMusicInfo::artist, &MobrelMusicInfo::path});
    };
    const Category records[] = {
        {"contacts", "contacts", MobrelApi_FlushPerson, contacts},
        {"messages", "messages", MobrelApi_FlushSMS, messages},
        {"calls", "call log", MobrelApi_FlushCallHistory, calls},
    };
    const char* const recordNames[] = {"contact", "message", "call"};
    report.heading("Library flush (quickest of 5; CPU: the library's own, phone: phonesim's) against as many "
                   "no-op exchanges");
    for (int i = 0; i < 3; ++i)
        measure(report, records[i]).add(report, std::string("flush.") + records[i].key + ".heap", recordNames[i]);

    // (pulls): the first flush of a kind, pulling each thumbnail with adb; (cached):
    // the next. The three kinds share their records' heap: counted together.
    const Category mediaKinds[] = {
        {"photos.pulls", "photos (pulls)", MobrelApi_FlushPhotos, photos, true},
        {"photos", "photos (cached)", MobrelApi_FlushPhotos, photos},
        {"videos.pulls", "videos (pulls)", MobrelApi_FlushVideo, videos, true},
        {"videos", "videos (cached)", MobrelApi_FlushVideo, videos},
        {"music.pulls", "music (pulls)", MobrelApi_FlushMusic, music, true},
        {"music", "music (cached)", MobrelApi_FlushMusic, music},
    };
    report.heading("  media (pulls): the first flush, each thumbnail pulled with adb; (cached): the next");
    Heap mediaHeap;
    for (const Category& category : mediaKinds) {
        const Heap heap = measure(report, category);
        if (!category.pullsThumbnails) continue;
        mediaHeap.bytes += heap.bytes;
        mediaHeap.tally.records += heap.tally.records;
        mediaHeap.tally.text += heap.tally.text;
        mediaHeap.tally.structures += heap.tally.structures;
    }
    mediaHeap.add(report, "flush.media.heap", "media item");
}

}  // namespace bench
