// Polls the library's presence check every 250 ms, so the connection screen
// can read the latest phone count on each of its ticks.
#pragma once

#include <QThread>

#include <atomic>

class GetDeviceCountThread : public QThread {
    Q_OBJECT

public:
    using QThread::QThread;

    // The result of the latest presence check: 1 phone present, 0 none, -1 failed.
    int lastCount() const { return m_lastCount; }
    // Ends the polling after the check in progress.
    void requestStop() { m_stop = 1; }

protected:
    void run() override;

private:
    std::atomic<int> m_lastCount{0};
    std::atomic<int> m_stop{0};
};
