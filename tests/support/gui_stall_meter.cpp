#include "gui_stall_meter.h"

#include <QDeadlineTimer>
#include <QEventLoop>

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
    m_longestMs = qMax(m_longestMs, now - m_lastTickMs);
    m_lastTickMs = now;
}

bool waitUntil(const std::function<bool()> &predicate, int timeoutMs)
{
    // A plain event loop polled every few ms: unlike a wait that sleeps between
    // rounds, it adds no stalls of its own to what a meter measures meanwhile.
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
