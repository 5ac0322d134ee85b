#include "shell_service.h"

#include "bytes.h"

namespace phonesim::adb {

namespace {

enum ShellPacketId : char { kStdout = 1, kStderr = 2, kExit = 3 };

void putShellPacket(std::string& out, char id, const std::string& data) {
    out.push_back(id);
    putLe32(out, static_cast<uint32_t>(data.size()));
    out += data;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

}  // namespace

ShellService::ShellService(Phone& phone, std::string command, ShellMode mode)
    : phone_(phone), command_(std::move(command)), mode_(mode) {}

bool ShellService::onData(StreamIO&, std::string_view) { return true; }

void ShellService::onReady(StreamIO& io) {
    if (ran_) return;
    ran_ = true;
    ShellResult result = phone_.runShell(command_);
    std::string out;
    switch (mode_) {
        case ShellMode::Pty:
            out = withCrLf(result.out + result.err);
            break;
        case ShellMode::Raw:
            out = result.out + result.err;
            break;
        case ShellMode::V2:
            if (!result.out.empty()) putShellPacket(out, kStdout, result.out);
            if (!result.err.empty()) putShellPacket(out, kStderr, result.err);
            putShellPacket(out, kExit, std::string(1, static_cast<char>(result.exitCode & 0xff)));
            break;
    }
    io.send(out);
    io.finish();
}

InstallService::InstallService(Phone& phone, uint64_t size) : phone_(phone), size_(size) {}

bool InstallService::onData(StreamIO&, std::string_view bytes) {
    uint64_t room = size_ - apk_.size();
    apk_.feed(bytes.substr(0, static_cast<size_t>(std::min<uint64_t>(room, bytes.size()))));
    return true;
}

void InstallService::onReady(StreamIO& io) {
    if (answered_ || apk_.size() < size_) return;
    answered_ = true;
    io.send(phone_.install(apk_, true) + "\n");
    io.finish();
}

}  // namespace phonesim::adb
