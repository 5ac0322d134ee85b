#include "GetDeviceCountThread.h"

#include "mobrelclient.h"

namespace {

// The screen reads the count on its 500 ms tick: polling twice as often keeps
// every tick's view fresh, where polling without pause would start adb hundreds
// of times a second and keep a processor busy while no USB phone is seen.
constexpr int kPollIntervalMs = 250;
constexpr int kStopCheckMs = 10;

}  // namespace

void GetDeviceCountThread::run() {
    m_lastCount = MobrelApi_CheckConnectDeviceToPC_Count();
    while (!m_stop) {
        for (int slept = 0; slept < kPollIntervalMs && !m_stop; slept += kStopCheckMs) QThread::msleep(kStopCheckMs);
        if (m_stop) break;  // closing: no need for one more check
        m_lastCount = MobrelApi_CheckConnectDeviceToPC_Count();
    }
}
