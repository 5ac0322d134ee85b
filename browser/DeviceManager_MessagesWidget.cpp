#include "DeviceManager_MessagesWidget.h"

#include "base/listheads.h"
#include "mobrelclient.h"

void DeviceManager_MessagesWidget::setLanguageTexts() { setCategoryName(tr("Messages")); }

int DeviceManager_MessagesWidget::fetchList() {
    smsThreadListHead = nullptr;
    MobrelApi_GetSMS(&smsThreadListHead);
    int count = 0;
    for (MobrelSmsThread* t = smsThreadListHead; t; t = t->next) {
        for (MobrelSms* m = t->firstMessage; m; m = m->next, ++count) m->checkMark = 0;
    }
    return count;
}

void DeviceManager_MessagesWidget::forgetList() { smsThreadListHead = nullptr; }
