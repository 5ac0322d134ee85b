// A small client of the companion service for the unit tests: the companion
// serves one end of a socket pair on its own thread, the test talks on the other
// end and reads replies exactly as the wire carries them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "companion/companion.h"
#include "device_paths.h"
#include "faults.h"
#include "profile.h"

namespace phonesim::test {

// Keys to decoded values of one record.
using Record = std::map<std::string, std::string>;

// Record text to records, checked strictly: every item is KEY ":" upper-case hex
// ";" and every record ends with "."; nothing for any other text. Keys listed in
// plainKeys carry their value as it is (the device facts' sizes).
std::optional<std::vector<Record>> parseRecords(const std::string& text,
                                                const std::vector<std::string>& plainKeys = {});

std::string hex(const std::string& bytes);  // upper-case, written apart from the companion's encoder

class Client {
public:
    explicit Client(int fd);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void send(const std::string& bytes);
    // The next reply's body; nothing when the connection ended (or 10 s passed).
    std::optional<std::string> reply();
    std::optional<std::string> ask(const std::string& command);
    // Asks and checks that the reply has the expected kind; a failed check yields -999.
    int32_t askInt(const std::string& command);
    int64_t askInt64(const std::string& command);
    std::string askText(const std::string& command);
    std::vector<Record> askRecords(const std::string& command);
    // Reads exactly n bytes (or fewer when the peer closes).
    std::string receive(size_t n);
    // True when the companion closed its end (a read gives end-of-file).
    bool closedByPeer();
    // No byte arrives within ms milliseconds.
    bool silentFor(int ms);

private:
    int fd_;
};

// A temporary state folder with a companion on it.
class CompanionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds (or rebuilds, after the old one stopped) the companion on the state folder.
    void start(const Profile& profile = modernProfile(), bool withDataset = true);
    void stopCompanion();
    std::unique_ptr<Client> connect();
    void setFaults(const Faults& faults) { faultSwitch->write(faults); }
    std::filesystem::path sdcard() const { return state / "sdcard"; }
    // Pages through a whole category with its count and page commands.
    std::vector<Record> allRecords(Client& client, const std::string& countCommand, const std::string& pageCommand);

    std::filesystem::path state;
    Profile profile;
    std::unique_ptr<DevicePaths> paths;
    std::unique_ptr<FaultSwitch> faultSwitch;
    std::unique_ptr<Companion> companion;
    std::vector<std::thread> servers;
};

}  // namespace phonesim::test
