#include "FlushDataThread.h"

#include "mobrelclient.h"

void FlushDataThread::run() {
    m_result = -1;
    switch (m_itemType) {
    case 0: m_result = MobrelApi_FlushPerson(); break;
    case 1: m_result = MobrelApi_FlushSMS(); break;
    case 2: m_result = MobrelApi_FlushCallHistory(); break;
    case 3: m_result = MobrelApi_FlushPhotos(); break;
    case 4: m_result = MobrelApi_FlushVideo(); break;
    case 5: m_result = MobrelApi_FlushMusic(); break;
    default: break;
    }
}
