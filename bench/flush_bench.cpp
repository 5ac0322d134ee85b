// Flushing every category of the large sample phone through phonesim and the
// real adb. For each category it prints the records, the wall time, the
// exchanges on the service channel, the time of as many no-op exchanges
// ("hello-manager;") on the same connection in the same run, the ratio of the
// two, and the heap the library kept per record against the raw text bytes of
// a record.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "channel.h"
#include "mobrelclient.h"
#include "phonesim_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

size_t textBytes(const char* text) { return text ? std::strlen(text) : 0; }

size_t contactText(const MobrelContact* c) {
    size_t n = 0;
    for (char* const* field = &c->contactId; field <= &c->workEmail; ++field) {
        char* text = nullptr;
        std::memcpy(&text, field, sizeof text);  // the record is packed
        n += textBytes(text);
    }
    return n;
}

struct Tally {
    long records = 0;
    size_t text = 0;
};

Tally contacts() {
    Tally t;
    MobrelContact* c = nullptr;
    MobrelApi_GetPerson(&c);
    for (; c; c = c->next, ++t.records) t.text += contactText(c);
    return t;
}

Tally messages() {
    Tally t;
    MobrelSmsThread* thread = nullptr;
    MobrelApi_GetSMS(&thread);
    for (; thread; thread = thread->next) {
        for (MobrelSms* m = thread->firstMessage; m; m = m->next, ++t.records) {
            for (const char* text : {m->id, m->person, m->address, m->body, m->date, m->type, m->read, m->threadId}) {
                t.text += textBytes(text);
            }
        }
    }
    return t;
}

Tally calls() {
    Tally t;
    MobrelCallGroup* group = nullptr;
    MobrelApi_GetCallHistory(&group);
    for (; group; group = group->next) {
        for (MobrelCallLog* e = group->firstEntry; e; e = e->next, ++t.records) {
            for (const char* text : {e->id, e->name, e->number, e->date, e->type, e->duration}) t.text += textBytes(text);
        }
    }
    return t;
}

Tally photos() {
    Tally t;
    MobrelPhotoInfo* p = nullptr;
    for (int i = 0; MobrelApi_GetPhotoInfo(&p, i) == 0; ++i, ++t.records) t.text += textBytes(p->title) + textBytes(p->path);
    return t;
}

Tally videos() {
    Tally t;
    MobrelVideoInfo* v = nullptr;
    for (int i = 0; MobrelApi_GetVideoInfo(&v, i) == 0; ++i, ++t.records) {
        t.text += textBytes(v->title) + textBytes(v->displayName) + textBytes(v->path);
    }
    return t;
}

Tally music() {
    Tally t;
    MobrelMusicInfo* m = nullptr;
    for (int i = 0; MobrelApi_GetMusicInfo(&m, i) == 0; ++i, ++t.records) {
        t.text += textBytes(m->title) + textBytes(m->album) + textBytes(m->artist) + textBytes(m->path);
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

void measure(const char* name, const std::function<int()>& flush, const std::function<Tally()>& tally) {
    mobrel::ServiceChannel& channel = mobrel::serviceChannel();
    const size_t heapBefore = mallinfo2().uordblks;
    const uint64_t exchangesBefore = channel.exchangeCount();
    const auto start = Clock::now();
    const int result = flush();
    const double wall = seconds(Clock::now() - start);
    const uint64_t exchanges = channel.exchangeCount() - exchangesBefore;
    const size_t heap = mallinfo2().uordblks - heapBefore;
    const Tally t = tally();
    const double noOp = noOpExchanges(exchanges);
    const double records = t.records > 0 ? static_cast<double>(t.records) : 1.0;
    std::printf("%-16s %6ld %8.2f %9llu %8.2f %7.1f %10.0f %10.0f%s\n", name, t.records, wall,
                static_cast<unsigned long long>(exchanges), noOp, noOp > 0 ? wall / noOp : 0.0, heap / records,
                t.text / records, result < 0 ? "  (flush failed)" : "");
}

}  // namespace

int main() {
    mobreltest::PhoneSim sim;
    std::printf("starting phonesim with the large phone (generating it takes a moment)\n");
    if (!sim.start({.dataset = "large"})) {
        std::fprintf(stderr, "bench: %s\n", sim.error().c_str());
        return 1;
    }
    MobrelApi_Init();
    int detected = -1;
    for (int i = 0; i < 30 && detected != 0; ++i) {
        detected = MobrelApi_CheckDeviceDetected(0);
        if (detected != 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    if (detected != 0 || MobrelApi_ReadyTodoing(0) != 0) {
        std::fprintf(stderr, "bench: the phone did not come up\n");
        return 1;
    }

    std::printf("\n%-16s %6s %8s %9s %8s %7s %10s %10s\n", "category", "items", "wall s", "exchanges", "no-op s",
                "ratio", "heap B/rec", "text B/rec");
    measure("contacts", MobrelApi_FlushPerson, contacts);
    measure("messages", MobrelApi_FlushSMS, messages);
    measure("call log", MobrelApi_FlushCallHistory, calls);
    measure("photos", MobrelApi_FlushPhotos, photos);
    measure("photos (cached)", MobrelApi_FlushPhotos, photos);
    measure("videos", MobrelApi_FlushVideo, videos);
    measure("music", MobrelApi_FlushMusic, music);
    std::printf("\nwall: the flush; no-op: as many \"hello-manager;\" exchanges on the same connection;\n"
                "heap: what the library still holds after the flush, per record; text: the record's text bytes.\n"
                "A media flush also pulls each missing thumbnail with adb; the cached run shows the flush without.\n");
    return 0;
}
