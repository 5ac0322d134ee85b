#include "DeviceManager_CallLogWidget.h"

#include "base/listheads.h"
#include "mobrelclient.h"

void DeviceManager_CallLogWidget::setLanguageTexts() { setCategoryName(tr("Call History")); }

int DeviceManager_CallLogWidget::fetchList() {
    callGroupListHead = nullptr;
    MobrelApi_GetCallHistory(&callGroupListHead);
    int count = 0;
    for (MobrelCallGroup* g = callGroupListHead; g; g = g->next) {
        for (MobrelCallLog* e = g->firstEntry; e; e = e->next, ++count) e->checkMark = 0;
    }
    return count;
}

void DeviceManager_CallLogWidget::forgetList() { callGroupListHead = nullptr; }
