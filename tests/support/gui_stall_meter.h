#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

// The longest the GUI thread's event loop was kept from running: the largest gap
// between ticks of a fine timer, less the time the thread only waited for a
// processor (the kernel's run delay, where it tells it): on a loaded machine that
// is the scheduler's doing. Create, start and stop it on the GUI thread.
class GuiStallMeter
{
public:
    GuiStallMeter();

    void start();
    void stop();

    qint64 longestStallMs() const;  // between start() and stop(), or now while running

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTickMs = 0;
    qint64 m_lastRunDelayMs = 0;
    qint64 m_longestMs = 0;
};

// Runs the event loop until predicate() holds or timeoutMs passed; returns predicate().
bool waitUntil(const std::function<bool()> &predicate, int timeoutMs);
