#include "DeviceManager_ContactWidget.h"

#include "base/listheads.h"
#include "mobrelclient.h"

void DeviceManager_ContactWidget::setLanguageTexts() { setCategoryName(tr("Contacts")); }

int DeviceManager_ContactWidget::fetchList() {
    contactListHead = nullptr;
    MobrelApi_GetPerson(&contactListHead);
    int count = 0;
    for (MobrelContact* c = contactListHead; c; c = c->next, ++count) c->checkMark = 0;
    return count;
}

void DeviceManager_ContactWidget::forgetList() { contactListHead = nullptr; }
