// Fault switches that make the simulated phone misbehave on request.
// They live in <state>/faults.json so that a test can flip them while phonesim
// runs; the file is small and read again for every question, so two writes in
// quick succession are never mistaken for one.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>

namespace phonesim {

struct Faults {
    bool unauthorized = false;       // adb lists the device "unauthorized"
    bool offline = false;            // adb lists the device "offline"
    std::string handshake = "answer";  // "answer", "silent" (no reply ever), "close" (drop the connection), "wrong" (reply "HELLO")
    int delayMs = 0;                 // every companion reply is held back this long
    int dropAfter = 0;               // > 0: a companion connection is closed after this many commands
    std::string badCommand;          // command name (text before the first ':' or ';') whose reply is spoiled
    std::string badReply = "garbage";  // "garbage" (not the record format), "overlong" (length far beyond any buffer), "short" (1 byte)
    int badAfter = 0;                // the bad command is answered well this many times after an install, then spoiled
    bool noThumbnails = false;       // thumbnail commands answer 1 and write no file
    int acceptDelayMs = 300;         // the simulated user accepts the messaging-app switch after this long
    bool neverAccept = false;        // ... or never
    std::string refuseCommand{};     // command name not carried out and answered as a failed write
    int cutPullAt = 0;               // > 0: a pull of a larger file stalls after this many bytes
};

// Parses the JSON text of a faults file; unknown keys are ignored, a key of the
// wrong type keeps its default. Returns false (and defaults) for text that is not a JSON object.
bool parseFaults(const std::string& json, Faults& out);
std::string faultsToJson(const Faults& faults);

class FaultSwitch {
public:
    explicit FaultSwitch(std::filesystem::path file);
    Faults current();  // the switches now in force
    void write(const Faults& faults);  // used by tests and by the command line

private:
    std::filesystem::path file_;
    std::mutex mutex_;
};

}  // namespace phonesim
