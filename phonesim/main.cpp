// phonesim: a simulated Android phone that the real adb sees as an emulator.
//
//   phonesim --state DIR [--port N] [--dataset small|large] [--profile modern|legacy]
//            [--prop KEY=VALUE]... [--adb-port N] [--fault KEY=VALUE]... [--parent-pid PID]
//
// Runs until SIGTERM or SIGINT.
#include <cjson/cJSON.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "adb/listener.h"
#include "dataset/dataset.h"
#include "phone.h"

namespace fs = std::filesystem;
using namespace phonesim;

namespace {

constexpr const char* kUsage =
    "usage: phonesim --state DIR [--port N] [--dataset small|large] [--profile modern|legacy]\n"
    "                [--prop KEY=VALUE]... [--adb-port N] [--fault KEY=VALUE]... [--parent-pid PID]\n";

struct Options {
    fs::path state;
    int port = 5555;
    int adbPort = 0;  // 0: $ANDROID_ADB_SERVER_PORT, else 5037
    std::string dataset;
    std::string profile = "modern";
    std::vector<std::pair<std::string, std::string>> props;
    std::vector<std::pair<std::string, std::string>> faults;
    int parentPid = 0;  // > 0: stop when that process is gone (tests pass their own PID)
};

// Decimal digits only (at most nine) giving a number from low to high.
bool parseNumber(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::atoi(text.c_str());
    return out >= low && out <= high;
}

bool parsePort(const std::string& text, int& out) { return parseNumber(text, 1, 65535, out); }

bool parsePair(const std::string& text, std::vector<std::pair<std::string, std::string>>& out) {
    size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    out.emplace_back(text.substr(0, eq), text.substr(eq + 1));
    return true;
}

bool parseOptions(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) {
            error = "missing value after " + arg;
            return false;
        }
        std::string value = argv[++i];
        bool ok = true;
        if (arg == "--state") {
            o.state = value;
        } else if (arg == "--port") {
            ok = parsePort(value, o.port);
        } else if (arg == "--adb-port") {
            ok = parsePort(value, o.adbPort);
        } else if (arg == "--dataset") {
            o.dataset = value;
            ok = value == "small" || value == "large";
        } else if (arg == "--profile") {
            o.profile = value;
        } else if (arg == "--prop") {
            ok = parsePair(value, o.props);
        } else if (arg == "--fault") {
            ok = parsePair(value, o.faults);
        } else if (arg == "--parent-pid") {
            ok = parseNumber(value, 1, 999999999, o.parentPid);
        } else {
            error = "unknown option " + arg;
            return false;
        }
        if (!ok) {
            error = "bad value for " + arg + ": " + value;
            return false;
        }
    }
    if (o.state.empty()) error = "--state is required";
    return error.empty();
}

// KEY=VALUE onto the switches, typed like the switch it names.
bool applyFault(Faults& faults, const std::string& key, const std::string& value, std::string& error) {
    cJSON* root = cJSON_Parse(faultsToJson(faults).c_str());
    cJSON* item = cJSON_GetObjectItemCaseSensitive(root, key.c_str());
    cJSON* replacement = nullptr;
    if (!item) {
        error = "unknown fault " + key;
    } else if (cJSON_IsBool(item)) {
        if (value == "true" || value == "1") replacement = cJSON_CreateTrue();
        if (value == "false" || value == "0") replacement = cJSON_CreateFalse();
    } else if (cJSON_IsNumber(item)) {
        int number = 0;
        if (parseNumber(value, 0, 99999999, number)) replacement = cJSON_CreateNumber(number);
    } else {
        replacement = cJSON_CreateString(value.c_str());
    }
    if (item && !replacement) error = "bad value for fault " + key + ": " + value;
    if (replacement) {
        cJSON_ReplaceItemInObjectCaseSensitive(root, key.c_str(), replacement);
        char* text = cJSON_PrintUnformatted(root);
        parseFaults(text, faults);
        cJSON_free(text);
    }
    cJSON_Delete(root);
    return error.empty();
}

int serverPort(const Options& o) {
    if (o.adbPort) return o.adbPort;
    int port = 0;
    const char* env = std::getenv("ANDROID_ADB_SERVER_PORT");
    return env && parsePort(env, port) ? port : 5037;
}

int fail(const std::string& message) {
    std::cerr << "phonesim: " << message << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::cerr << "phonesim: " << error << "\n" << kUsage;
        return 2;
    }
    Profile profile;
    if (!profileByName(options.profile, profile)) {
        std::cerr << "phonesim: unknown profile " << options.profile << "\n" << kUsage;
        return 2;
    }
    for (const auto& [key, value] : options.props) profile.properties[key] = value;

    // Every thread inherits this mask, so the signals reach only sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::error_code ec;
    if (!options.dataset.empty() && (!fs::exists(options.state, ec) || fs::is_empty(options.state, ec))) {
        if (!generateDataset(options.state, options.dataset, error)) return fail("dataset: " + error);
    }
    fs::create_directories(options.state, ec);
    if (!fs::is_directory(options.state, ec)) return fail("cannot use state folder " + options.state.string());

    Phone phone(options.state, profile);
    if (!options.faults.empty()) {
        Faults faults = phone.faults().current();
        for (const auto& [key, value] : options.faults) {
            if (!applyFault(faults, key, value, error)) return fail(error);
        }
        phone.faults().write(faults);
    }

    adb::Listener listener(phone);
    if (!listener.open(options.port, error)) {
        return fail("cannot listen on 127.0.0.1:" + std::to_string(options.port) + ": " + error);
    }
    listener.start();
    if (options.parentPid > 0) {
        // A test that crashed must not leave its phone behind.
        std::thread([parent = options.parentPid] {
            while (::kill(parent, 0) == 0 || errno != ESRCH) std::this_thread::sleep_for(std::chrono::milliseconds(500));
            ::kill(::getpid(), SIGTERM);
        }).detach();
    }
    std::cout << "phonesim: listening on 127.0.0.1:" << options.port << std::endl;
    // A server that is already running only learns of a new emulator this way.
    adb::registerWithServer(serverPort(options), options.port);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    listener.stop();
    return 0;
}
