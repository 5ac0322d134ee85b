// One bring-up run of the library: companion app installed and started,
// handshake, device facts and category counts.
#pragma once

#include <QThread>

#include <atomic>

class ReadyScanThread : public QThread {
    Q_OBJECT

public:
    using QThread::QThread;

    // 0 the companion app is ready, -1 it is not (also while a run is going on).
    int result() const { return m_result; }

protected:
    void run() override;

private:
    static constexpr int deviceIndex = 0;
    std::atomic<int> m_result{-1};
};
