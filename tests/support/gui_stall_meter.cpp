#include "gui_stall_meter.h"

#include <QDeadlineTimer>
#include <QEventLoop>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// How long the calling thread has waited on a run queue: schedstat's second field (ns); 0 where not kept.
qint64 runDelayMs()
{
    const int fd = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[128] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    char *end = nullptr;
    std::strtoull(text, &end, 10);  // time spent running
    return static_cast<qint64>(std::strtoull(end, nullptr, 10) / 1000000);
}

}  // namespace

GuiStallMeter::GuiStallMeter()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
}

void GuiStallMeter::start()
{
    m_longestMs = 0;
    m_lastTickMs = 0;
    m_lastRunDelayMs = runDelayMs();
    m_clock.start();
    m_timer.start();
}

void GuiStallMeter::stop()
{
    if (!m_timer.isActive())
        return;
    // The stretch since the last tick counts too: the work may end in a block.
    tick();
    m_timer.stop();
}

qint64 GuiStallMeter::longestStallMs() const
{
    if (!m_timer.isActive())
        return m_longestMs;
    return qMax(m_longestMs, m_clock.elapsed() - m_lastTickMs);
}

void GuiStallMeter::tick()
{
    const qint64 now = m_clock.elapsed();
    const qint64 runDelay = runDelayMs();
    m_longestMs = qMax(m_longestMs, now - m_lastTickMs - (runDelay - m_lastRunDelayMs));
    m_lastTickMs = now;
    m_lastRunDelayMs = runDelay;
}

bool waitUntil(const std::function<bool()> &predicate, int timeoutMs)
{
    // An event loop polled every few ms adds no stalls of its own to what a meter measures.
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (predicate() || deadline.hasExpired())
            loop.quit();
    });
    if (!predicate()) {
        poll.start();
        loop.exec();
    }
    return predicate();
}
