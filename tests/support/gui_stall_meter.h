#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

// Measures how long the GUI thread's event loop was kept from running while a
// piece of work goes on: a fine timer on the GUI thread notes the largest gap
// between two of its ticks. Time the thread only waited for a processor (the
// kernel's run delay of the thread, where the kernel tells it) is not counted:
// on a loaded machine that is the scheduler's doing, not the program blocking
// its GUI thread. Create, start and stop it on the GUI thread.
class GuiStallMeter
{
public:
    GuiStallMeter();

    void start();
    void stop();

    // The longest gap seen between start() and stop() (or now while running).
    qint64 longestStallMs() const;

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
