#include "platform/output.h"

#include <cerrno>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

namespace mobrel::platform {

FileHandle replaceFileForAppend(const std::string& path) {
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NOFOLLOW,
                        0644);
    return fd < 0 ? kNoFile : fd;
}

FileHandle diagnosticStream() { return STDERR_FILENO; }

bool writeOnce(FileHandle file, const char* text, size_t length) {
    if (file == kNoFile) return false;
    // stderr may be a pipe whose reader is gone: keep SIGPIPE blocked for this
    // write and swallow the one it raised, so the process never dies of it.
    sigset_t pipeOnly;
    sigset_t previous;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;

    ssize_t n;
    do {
        n = write(file, text, length);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno == EPIPE && !alreadyPending) {
        const timespec noWait {};
        sigtimedwait(&pipeOnly, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return n == static_cast<ssize_t>(length);
}

std::tm localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return local;
}

}  // namespace mobrel::platform
