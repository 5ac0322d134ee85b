#include "CheckDeviceDetectedThread.h"

#include "mobrelclient.h"

void CheckDeviceDetectedThread::run() { m_result = MobrelApi_CheckDeviceDetected(deviceIndex); }
