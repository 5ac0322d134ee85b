// One detection run of the library (adb restarted, devices listed, properties read).
#pragma once

#include <QThread>

#include <atomic>

class CheckDeviceDetectedThread : public QThread {
    Q_OBJECT

public:
    using QThread::QThread;

    // 0 ready, -2 not authorised, -1 not found (also before the first run).
    int result() const { return m_result; }

protected:
    void run() override;

private:
    static constexpr int deviceIndex = 0;
    std::atomic<int> m_result{-1};
};
