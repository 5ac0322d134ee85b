// Sample contacts, messages and calls, streamed into the store one record at a time.
#include <algorithm>
#include <cstdio>

#include "dataset/dataset_parts.h"
#include "store/content_store.h"
#include "store/jsonl.h"

namespace phonesim {

namespace {

constexpr int64_t kMinute = 60;
constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 86400;

std::string digitsNumber(Rng& rng, const char* prefix) {
    char text[40];
    std::snprintf(text, sizeof text, "%s%03d %04d", prefix, rng.below(1000), rng.below(10000));
    return text;
}

std::string asciiLower(std::string text) {
    std::string out;
    for (char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) out += static_cast<char>(c | 0x20);
    }
    return out.empty() ? "kontakt" : out;
}

// The address of conversation c: most are people of the address book (each person
// at most once), the rest numbers and senders nobody saved.
std::string conversationAddress(int c, int contacts) {
    if (c % 5 != 4 && contacts > 0) return contactNumber((c * 7) % contacts);
    char text[40];
    switch (c % 3) {
    case 0: std::snprintf(text, sizeof text, "+1 415 555 %04d", c % 10000); break;
    case 1: std::snprintf(text, sizeof text, "3%04d", c % 10000); break;  // a short code
    default: std::snprintf(text, sizeof text, "INFO%d", c); break;        // an alphanumeric sender
    }
    return text;
}

std::string messageBody(Rng& rng) {
    if (rng.chance(8)) return rng.pick(kLongBodies);
    if (rng.chance(10)) return rng.pick(kShortBodies) + "\n" + rng.pick(kShortBodies);
    return rng.pick(kShortBodies);
}

}  // namespace

bool writeContacts(const std::filesystem::path& storeDir, const DatasetSize& size, uint64_t seed) {
    Rng rng(seed);
    Counters counters;
    counters.nextId = size.contacts + 1;
    JsonlWriter out(storeFile(storeDir, Category::Contacts));
    out.write(storeHeader(Category::Contacts, counters));
    for (int i = 0; i < size.contacts; ++i) {
        Contact c;
        c.id = i + 1;
        bool full = i % 8 == 0;  // every eighth contact has every field
        std::string& first = c.fields[kFirstName];
        std::string& last = c.fields[kLastName];
        if (i % 13 == 5) {  // a Chinese name, family name first and without a blank
            first = "小明";
            last = "王";
            c.fields[kName] = last + first;
        } else {
            first = rng.pick(kFirstNames);
            last = rng.pick(kLastNames);
            c.fields[kName] = first + " " + last;
        }
        std::string mail = asciiLower(first) + "." + asciiLower(last);
        if (full || rng.chance(25)) c.fields[kNickname] = rng.pick(kNicknames);
        if (full || i % 19 != 18) c.fields[kMobile] = contactNumber(i);
        if (full || rng.chance(40)) c.fields[kHomePhone] = digitsNumber(rng, "+49 30 ");
        if (full || rng.chance(35)) c.fields[kWorkPhone] = digitsNumber(rng, "+49 89 ");
        if (full || rng.chance(20)) c.fields[kWebsite] = "https://www." + mail + ".example.com/";
        if (full || rng.chance(60)) c.fields[kHomeEmail] = mail + "@example.org";
        if (full || rng.chance(45)) {
            char date[16];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d", rng.between(1940, 2010), rng.between(1, 12),
                          rng.between(1, 28));
            c.fields[kBirthday] = date;
        }
        if (full || rng.chance(50)) c.fields[kGroup] = rng.pick(kGroups);
        if (full || rng.chance(30)) c.fields[kNote] = rng.pick(kNotes);
        if (full || rng.chance(40)) c.fields[kOrganization] = rng.pick(kCompanies);
        if (full || rng.chance(30)) c.fields[kTitle] = rng.pick(kJobTitles);
        if (full || rng.chance(35)) c.fields[kHomeAddress] = rng.pick(kStreets) + "\n" + rng.pick(kCities);
        if (full || rng.chance(25)) c.fields[kWorkAddress] = rng.pick(kStreets) + "\n" + rng.pick(kCities);
        if (full || rng.chance(8)) c.fields[kHomeFax] = digitsNumber(rng, "+49 30 ");
        if (full || rng.chance(10)) c.fields[kWorkFax] = digitsNumber(rng, "+49 89 ");
        if (full || rng.chance(35)) c.fields[kWorkEmail] = mail + "@work.example.com";
        out.write(contactToJson(c));
    }
    return out.commit();
}

bool writeMessages(const std::filesystem::path& storeDir, const DatasetSize& size, uint64_t seed) {
    Rng rng(seed);
    const int conversations = std::max(1, std::min(size.conversations, size.messages));
    // One long conversation takes a fifth; every other one gets at least one message.
    std::vector<int> perConversation(static_cast<size_t>(conversations), 1);
    perConversation[0] = std::max(1, size.messages / 5);
    for (int left = size.messages - perConversation[0] - (conversations - 1); left > 0; --left)
        ++perConversation[static_cast<size_t>(conversations > 1 ? 1 + rng.below(conversations - 1) : 0)];

    Counters counters;
    counters.nextId = size.messages + 1;
    counters.nextThreadId = conversations + 1;
    JsonlWriter out(storeFile(storeDir, Category::Messages));
    out.write(storeHeader(Category::Messages, counters));
    int64_t nextId = 1;
    std::vector<int64_t> dates;
    for (int c = 0; c < conversations; ++c) {
        const int count = perConversation[static_cast<size_t>(c)];
        // Dates from the newest backwards, then written oldest first.
        dates.assign(static_cast<size_t>(count), 0);
        int64_t date = kDatasetNow - rng.between(0, 400) * kDay - rng.between(0, 23) * kHour;
        for (int m = count - 1; m >= 0; --m) {
            dates[static_cast<size_t>(m)] = date;
            date -= rng.between(1, 8 * 60) * kMinute;
        }
        const std::string address = conversationAddress(c, size.contacts);
        const bool peopleTalk = c % 5 != 4;  // short codes and senders only send
        for (int m = 0; m < count; ++m) {
            Message msg;
            msg.id = nextId++;
            msg.threadId = c + 1;
            msg.address = address;
            msg.body = messageBody(rng);
            msg.date = dates[static_cast<size_t>(m)];
            msg.type = peopleTalk && rng.chance(45) ? kSent : kInbox;
            int odd = rng.below(100);
            if (peopleTalk && odd < 2) msg.type = kOutbox;
            else if (peopleTalk && odd < 4) msg.type = kFailed;
            else if (peopleTalk && odd < 5) msg.type = kQueued;
            bool newest = m == count - 1;
            if (newest && c % 6 == 3) msg.type = kDraft;  // an unsent reply
            msg.read = msg.type == kInbox && newest && c % 4 == 1 ? 0 : 1;
            out.write(messageToJson(msg));
        }
    }
    return out.commit();
}

bool writeCalls(const std::filesystem::path& storeDir, const DatasetSize& size, uint64_t seed) {
    Rng rng(seed);
    Counters counters;
    counters.nextId = size.calls + 1;
    JsonlWriter out(storeFile(storeDir, Category::Calls));
    out.write(storeHeader(Category::Calls, counters));
    // A few frequent people and a few strangers call again and again.
    const int frequent = std::max(1, std::min(size.contacts, 20));
    std::vector<std::string> strangers;
    for (int i = 0; i < 12; ++i) strangers.push_back(strangerNumber(rng));
    int64_t date = kDatasetNow;
    for (int i = 0; i < size.calls; ++i) {
        Call call;
        call.id = i + 1;
        date -= rng.between(10, 36 * 60) * kMinute;
        call.date = date;
        int who = rng.below(100);
        if (who < 10) call.number.clear();  // a private number
        else if (who < 70 && size.contacts > 0) call.number = contactNumber(rng.below(frequent));
        else call.number = rng.pick(strangers);
        // The first seven calls show every type; then a usual mix.
        int roll = rng.below(100);
        call.type = i < 7 ? i + 1 : roll < 40 ? 1 : roll < 75 ? 2 : roll < 90 ? 3 : roll < 94 ? 4 : roll < 97 ? 5 : roll < 99 ? 6 : 7;
        if (call.type == 1 || call.type == 2 || call.type == 7) call.duration = rng.between(1, 1800);
        else if (call.type == 4) call.duration = rng.between(5, 60);
        out.write(callToJson(call));
    }
    return out.commit();
}

}  // namespace phonesim
