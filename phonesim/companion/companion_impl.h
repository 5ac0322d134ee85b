// Inside the companion: the state shared by all connections and the command
// handlers, split over the files of this folder by command family.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "companion/companion.h"
#include "companion/protocol.h"
#include "device_paths.h"
#include "faults.h"
#include "profile.h"
#include "store/content_store.h"

namespace phonesim {

inline constexpr const char* kSystemMessagingPackage = "com.android.messaging";

// The commands of one media kind and the folder its uploads go to.
struct MediaCommandSet {
    MediaKind kind;
    const char* flush;
    const char* count;
    const char* index;
    const char* thumbnail;
    const char* remove;
    const char* exists;
    const char* add;
    const char* path;
    const char* folder;  // below the shared storage root; also holds the kind's tmp.png
};
const MediaCommandSet& mediaCommandSet(MediaKind kind);

// The thumbnail file in each upload folder; never a medium of its own.
inline constexpr const char* kThumbnailName = "tmp.png";
// "<folder>/<name>" below the shared storage root: a name in the kind's upload folder.
std::string uploadPath(MediaKind kind, const std::string& name);

struct Companion::Impl {
    Impl(const std::filesystem::path& stateDir, const Profile& profile, const DevicePaths& paths,
         FaultSwitch& faults);

    void buildCommandTable();
    // One command to its reply body, under the switches read for it; "" for an
    // unknown command. Takes the lock.
    std::string handle(const Command& command, const Faults& switches);

    // Contacts, messages, calls (records_commands.cpp).
    std::string contactCount();
    std::string contactPage(const std::string& args);
    std::string addPerson(const std::string& args);
    std::string updatePerson(const std::string& args);
    std::string deletePerson(const std::string& args);
    std::string messageCount();
    std::string messagePage(const std::string& args);
    std::string sendSms(const std::string& args);
    std::string deleteConversation(const std::string& args);
    std::string callCount();
    std::string callPage(const std::string& args);
    std::string addCall(const std::string& args);
    std::string deleteCall(const std::string& args);
    const std::string& nameForNumber(const std::string& number);

    // Media (media_commands.cpp, thumbnails.cpp).
    std::string flushMedia(MediaKind kind);
    std::string mediaCount(MediaKind kind);
    std::string mediaIndex(MediaKind kind, const std::string& args);
    std::string mediaThumbnail(MediaKind kind, const std::string& args);
    std::string deleteMedia(MediaKind kind, const std::string& args);
    std::string mediaNameTaken(MediaKind kind, const std::string& args);
    std::string registerMedia(MediaKind kind, const std::string& args);
    std::string mediaPath(MediaKind kind, const std::string& args);
    const MediaItem* findMedia(MediaKind kind, int64_t id) const;
    // The host path of a file below the shared storage root; nothing when it would leave the tree.
    std::optional<std::filesystem::path> sdcardFile(const std::string& relative) const;
    std::vector<int64_t>& mediaList(MediaKind kind);
    bool writeThumbnail(const MediaItem& item);

    // Device facts (device_facts.cpp).
    std::string deviceFacts();
    std::string appCount();

    // The default messaging app (messaging_role.cpp).
    std::string defaultMessagingApp();
    std::string requestMessagingRole();
    std::string releaseMessagingRole();
    bool mayWriteMessages();  // Android 4.4 on: only as the default messaging app

    const Profile& profile;
    const DevicePaths& paths;
    FaultSwitch& faultSwitch;

    std::mutex mutex;  // held for every command
    Faults faults;     // the switches in force for the command being handled
    ContentStore store;
    std::unordered_map<std::string, std::function<std::string(const std::string&)>> commands;

    // The app's own state, forgotten by reset().
    std::string messagingApp = kSystemMessagingPackage;
    bool rolePending = false;
    std::atomic<int> badCommandCount{0};  // answers of the fault switches' bad command since the install
    std::chrono::steady_clock::time_point roleAcceptAt;
    std::optional<std::vector<int64_t>> mediaLists[3];  // ids by kind; built by the first flush or count

    // Contact names by phone number, rebuilt after a contact change.
    std::unordered_map<std::string, std::string> namesByNumber;
    bool namesDirty = true;

    // Open connections, so that stop() can close them.
    struct Connection {
        int fd;
        std::atomic<bool> stopped{false};
    };
    std::mutex connectionMutex;
    std::condition_variable connectionWake;
    std::list<Connection*> connections;
};

}  // namespace phonesim
