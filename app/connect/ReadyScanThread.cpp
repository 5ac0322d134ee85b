#include "ReadyScanThread.h"

#include "mobrelclient.h"

void ReadyScanThread::run() {
    m_result = -1;
    m_result = MobrelApi_ReadyTodoing(deviceIndex);
}
