// The shell and streamed-install services: a command line run by the phone's
// shell, its output framed the way the request asked for.
#pragma once

#include <cstdint>
#include <string>

#include "phone.h"
#include "service.h"

namespace phonesim::adb {

enum class ShellMode {
    Pty,  // old phones: stdout and stderr mixed, lines end in CR LF, no exit code
    Raw,  // stdout and stderr mixed, as the program wrote them
    V2,   // shell protocol: stdout, stderr and the exit code in packets
};

class ShellService final : public Service {
public:
    ShellService(Phone& phone, std::string command, ShellMode mode);
    bool onData(StreamIO& io, std::string_view bytes) override;  // stdin: nothing reads it
    void onReady(StreamIO& io) override;

private:
    Phone& phone_;
    const std::string command_;
    const ShellMode mode_;
    bool ran_ = false;
};

// "cmd package install -S N": reads exactly N bytes of apk, answers pm's
// status line and closes (adb reads the answer up to the close).
class InstallService final : public Service {
public:
    InstallService(Phone& phone, uint64_t size);
    bool onData(StreamIO& io, std::string_view bytes) override;
    void onReady(StreamIO& io) override;

private:
    Phone& phone_;
    const uint64_t size_;
    ApkCheck apk_;
    bool answered_ = false;
};

}  // namespace phonesim::adb
