#include "sync_service.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "bytes.h"

namespace phonesim::adb {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t ID_STAT = fourCC("STAT");
constexpr uint32_t ID_STA2 = fourCC("STA2");
constexpr uint32_t ID_LST2 = fourCC("LST2");
constexpr uint32_t ID_LIST = fourCC("LIST");
constexpr uint32_t ID_LIS2 = fourCC("LIS2");
constexpr uint32_t ID_DENT = fourCC("DENT");
constexpr uint32_t ID_DNT2 = fourCC("DNT2");
constexpr uint32_t ID_SEND = fourCC("SEND");
constexpr uint32_t ID_RECV = fourCC("RECV");
constexpr uint32_t ID_DATA = fourCC("DATA");
constexpr uint32_t ID_DONE = fourCC("DONE");
constexpr uint32_t ID_OKAY = fourCC("OKAY");
constexpr uint32_t ID_FAIL = fourCC("FAIL");
constexpr uint32_t ID_QUIT = fourCC("QUIT");

constexpr uint32_t kMaxPathLength = 1024;
constexpr uint32_t kMaxDataChunk = 64 * 1024;
// Requests the host pipelines while a file is going out wait here; more is not adb.
constexpr size_t kMaxBufferedInput = 4 * 1024 * 1024;

std::string errnoText(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

// The 68 bytes after the id of a STA2 reply and of a DNT2 entry.
void putStatV2(std::string& out, uint32_t error, const struct stat* st) {
    struct stat zero {};
    if (!st) st = &zero;
    putLe32(out, error);
    putLe64(out, st->st_dev);
    putLe64(out, st->st_ino);
    putLe32(out, st->st_mode);
    putLe32(out, static_cast<uint32_t>(st->st_nlink));
    putLe32(out, st->st_uid);
    putLe32(out, st->st_gid);
    putLe64(out, static_cast<uint64_t>(st->st_size));
    putLe64(out, static_cast<uint64_t>(st->st_atime));
    putLe64(out, static_cast<uint64_t>(st->st_mtime));
    putLe64(out, static_cast<uint64_t>(st->st_ctime));
}

void putStatV1(std::string& out, const struct stat* st) {
    putLe32(out, st ? st->st_mode : 0);
    putLe32(out, st ? static_cast<uint32_t>(st->st_size) : 0);
    putLe32(out, st ? static_cast<uint32_t>(st->st_mtime) : 0);
}

void putStatus(std::string& out, uint32_t id, const std::string& text) {
    putLe32(out, id);
    putLe32(out, static_cast<uint32_t>(text.size()));
    out += text;
}

}  // namespace

SyncService::SyncService(const DevicePaths& paths, FaultSwitch& faults, size_t maxPayload)
    : paths_(paths), faults_(faults), maxPayload_(maxPayload) {}

SyncService::~SyncService() { closeFile(state_ == State::Receiving); }

void SyncService::onClose() {
    // A push cut off half way leaves no half file behind.
    closeFile(state_ == State::Receiving);
    state_ = State::Over;
}

bool SyncService::onData(StreamIO& io, std::string_view bytes) {
    if (state_ == State::Over) return true;
    in_.append(bytes);
    if (in_.size() - inPos_ > kMaxBufferedInput) {
        fail(io, "too much data");
        return true;
    }
    process(io);
    return true;
}

void SyncService::onReady(StreamIO& io) {
    if (state_ != State::Sending) return;
    produce(io);
    if (state_ == State::Requests) process(io);
}

void SyncService::process(StreamIO& io) {
    for (;;) {
        size_t available = in_.size() - inPos_;
        const char* p = in_.data() + inPos_;
        if (state_ == State::Sending || state_ == State::Over || available < 8) break;
        uint32_t id = getLe32(p);
        uint32_t length = getLe32(p + 4);
        if (state_ == State::Requests) {
            if (id == ID_QUIT) {
                state_ = State::Over;
                io.finish();
                break;
            }
            if (length > kMaxPathLength) {
                fail(io, "path too long");
                break;
            }
            if (available < 8 + size_t(length)) break;
            std::string path(p + 8, length);
            inPos_ += 8 + size_t(length);
            handleRequest(io, id, path);
        } else {
            size_t recordSize = id == ID_DATA ? 8 + size_t(length) : 8;
            if (id == ID_DATA && length > kMaxDataChunk) {
                fail(io, "data too long");
                break;
            }
            if (available < recordSize) break;
            inPos_ += recordSize;
            if (!handleSendRecord(io, id, length, p + 8)) break;
        }
    }
    if (inPos_ == in_.size()) {
        in_.clear();
        inPos_ = 0;
    } else if (inPos_ > kMaxDataChunk) {
        in_.erase(0, inPos_);
        inPos_ = 0;
    }
}

void SyncService::handleRequest(StreamIO& io, uint32_t id, const std::string& path) {
    if (id == ID_STAT || id == ID_STA2 || id == ID_LST2) {
        stat(io, id, path);
    } else if (id == ID_LIST || id == ID_LIS2) {
        list(io, id, path);
    } else if (id == ID_SEND) {
        beginSend(io, path);
    } else if (id == ID_RECV) {
        beginRecv(io, path);
    } else {
        fail(io, "unknown command");
    }
}

void SyncService::stat(StreamIO& io, uint32_t id, const std::string& path) {
    struct stat st {};
    int error = ENOENT;  // what lies outside the phone's trees does not exist
    if (auto host = paths_.toHost(path)) {
        int rc = id == ID_LST2 ? ::lstat(host->c_str(), &st) : ::stat(host->c_str(), &st);
        error = rc == 0 ? 0 : errno;
    }
    std::string out;
    putLe32(out, id);
    if (id == ID_STAT) {
        putStatV1(out, error == 0 ? &st : nullptr);  // all zero: "does not exist"
    } else {
        putStatV2(out, static_cast<uint32_t>(error), error == 0 ? &st : nullptr);
    }
    io.send(out);
}

void SyncService::list(StreamIO& io, uint32_t id, const std::string& path) {
    bool v2 = id == ID_LIS2;
    std::string out;
    auto host = paths_.toHost(path);
    DIR* dir = host ? ::opendir(host->c_str()) : nullptr;
    if (dir) {
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            struct stat st {};
            if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (v2) {
                putLe32(out, ID_DNT2);
                putStatV2(out, 0, &st);
            } else {
                putLe32(out, ID_DENT);
                putStatV1(out, &st);
            }
            putLe32(out, static_cast<uint32_t>(name.size()));
            out += name;
        }
        ::closedir(dir);
    }
    putLe32(out, ID_DONE);
    out.append(v2 ? 72 : 16, '\0');
    io.send(out);
}

void SyncService::beginSend(StreamIO& io, const std::string& request) {
    size_t comma = request.rfind(',');
    if (comma == std::string::npos) {
        fail(io, "missing , in ID_SEND");
        return;
    }
    std::string path = request.substr(0, comma);
    unsigned long mode = std::strtoul(request.c_str() + comma + 1, nullptr, 0);
    // Shared storage holds no symbolic links, and a name ending in "/" is a folder.
    if (S_ISLNK(mode)) return refuseSend(io, "symlink failed: Operation not permitted");
    if (path.empty() || path.back() == '/') return refuseSend(io, "couldn't create file: Is a directory");
    auto host = paths_.toHost(path);
    if (!host) return refuseSend(io, "couldn't create file: Permission denied");
    std::error_code ec;
    fs::create_directories(host->parent_path(), ec);
    if (ec) return refuseSend(io, "secure_mkdirs failed: " + ec.message());
    // Look again now that the folders exist: none of them may lead outside.
    if (paths_.toHost(path) != host) return refuseSend(io, "couldn't create file: Permission denied");
    file_ = ::open(host->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file_ < 0) return refuseSend(io, errnoText("couldn't create file", errno));
    filePath_ = *host;
    state_ = State::Receiving;
}

bool SyncService::handleSendRecord(StreamIO& io, uint32_t id, uint32_t length, const char* data) {
    if (id == ID_DATA) {
        if (state_ != State::Receiving) return true;
        while (length > 0) {
            ssize_t n = ::write(file_, data, length);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                int error = n < 0 ? errno : ENOSPC;
                closeFile(true);
                refuseSend(io, errnoText("write failed", error));
                return true;
            }
            data += n;
            length -= static_cast<uint32_t>(n);
        }
        return true;
    }
    if (id != ID_DONE) {
        fail(io, "invalid data message: expected ID_DATA");
        return false;
    }
    if (state_ == State::Discarding) {
        state_ = State::Over;
        io.finish();
        return false;
    }
    // DONE carries the file's modification time.
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(length);
    times[0].tv_nsec = times[1].tv_nsec = 0;
    ::futimens(file_, times);
    closeFile(false);
    state_ = State::Requests;
    std::string out;
    putStatus(out, ID_OKAY, "");
    io.send(out);
    return true;
}

void SyncService::beginRecv(StreamIO& io, const std::string& path) {
    auto host = paths_.toHost(path);
    if (!host) return fail(io, "open failed: No such file or directory");
    file_ = ::open(host->c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file_ < 0) return fail(io, errnoText("open failed", errno));
    struct stat st {};
    if (::fstat(file_, &st) != 0 || !S_ISREG(st.st_mode)) {
        closeFile(false);
        return fail(io, errnoText("read failed", EISDIR));
    }
    remaining_ = static_cast<uint64_t>(st.st_size);
    // A link that stalls half way through a pull.
    const uint64_t cut = static_cast<uint64_t>(faults_.current().cutPullAt);
    cutShort_ = cut > 0 && remaining_ > cut;
    if (cutShort_) remaining_ = cut;
    state_ = State::Sending;
}

// One packet's worth of the file. The final DONE always shares a packet with
// the last DATA: a DONE on its own costs the host a round trip per file.
void SyncService::produce(StreamIO& io) {
    std::string out;
    int error = 0;
    for (;;) {
        size_t room = maxPayload_ - out.size();
        if (remaining_ <= kMaxDataChunk && remaining_ + 16 <= room) {
            error = appendFileData(out, static_cast<size_t>(remaining_));
            if (error == 0 && remaining_ == 0) {
                if (!cutShort_) putStatus(out, ID_DONE, "");
                closeFile(false);
                state_ = cutShort_ ? State::Over : State::Requests;  // cut short: silent until the host closes
            }
            break;
        }
        if (room <= 24) break;
        size_t n = static_cast<size_t>(std::min<uint64_t>({kMaxDataChunk, room - 8, remaining_}));
        if (n == remaining_) n = room - 16;  // leave room for the DONE behind the rest
        if ((error = appendFileData(out, n)) != 0) break;
    }
    io.send(out);
    if (error != 0) fail(io, errnoText("read failed", error));
}

int SyncService::appendFileData(std::string& out, size_t size) {
    size_t header = out.size();
    out.resize(header + 8 + size);
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(file_, &out[header + 8 + got], size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            out.resize(header);
            return error;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    out.resize(header + 8 + got);
    // A file that shrank while it was read ends where its data ends.
    remaining_ = got < size ? 0 : remaining_ - got;
    if (got == 0) {
        out.resize(header);
        return 0;
    }
    std::string head;
    putLe32(head, ID_DATA);
    putLe32(head, static_cast<uint32_t>(got));
    out.replace(header, 8, head);
    return 0;
}

void SyncService::fail(StreamIO& io, const std::string& text) {
    closeFile(state_ == State::Receiving);
    std::string out;
    putStatus(out, ID_FAIL, text);
    io.send(out);
    state_ = State::Over;
    io.finish();
}

void SyncService::refuseSend(StreamIO& io, const std::string& text) {
    std::string out;
    putStatus(out, ID_FAIL, text);
    io.send(out);
    state_ = State::Discarding;
}

void SyncService::closeFile(bool removePartial) {
    if (file_ < 0) return;
    ::close(file_);
    file_ = -1;
    if (removePartial) ::unlink(filePath_.c_str());
}

}  // namespace phonesim::adb
