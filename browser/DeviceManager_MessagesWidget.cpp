#include "DeviceManager_MessagesWidget.h"

#include <QCheckBox>
#include <QTimer>
#include <QTreeWidget>

#include "base/listheads.h"
#include "mobrelclient.h"
#include "recordtext.h"

DeviceManager_MessagesWidget::DeviceManager_MessagesWidget(DeviceManagerWidget* frame, QWidget* parent)
    : DeviceManager_BaseWidget(1, frame, parent) {
    for (int column = 2; column < idColumn; ++column) listTreeWidget->setColumnHidden(column, true);
}

void DeviceManager_MessagesWidget::layoutChildren() {
    DeviceManager_BaseWidget::layoutChildren();
    listTreeWidget->setColumnWidth(0, columnSpace() * 2 / 3);
    listTreeWidget->setColumnWidth(1, columnSpace() / 3);
}

void DeviceManager_MessagesWidget::setLanguageTexts() {
    DeviceManager_BaseWidget::setLanguageTexts();
    listTreeWidget->setHeaderLabels({tr("Content"), tr("Date"), QString(), QString()});
    selectAllCheckBox->setText(tr("Select All Messages"));
}

bool DeviceManager_MessagesWidget::fetchList() {
    smsThreadListHead = nullptr;
    MobrelApi_GetSMS(&smsThreadListHead);
    for (MobrelSmsThread* t = smsThreadListHead; t; t = t->next) {
        for (MobrelSms* m = t->firstMessage; m; m = m->next) m->checkMark = 0;
    }
    currentThread = smsThreadListHead;
    return currentThread != nullptr;
}

void DeviceManager_MessagesWidget::forgetList() { smsThreadListHead = currentThread = nullptr; }

void DeviceManager_MessagesWidget::m_tTimer1_slots() {
    if (!currentThread) {
        loadTimer->stop();
        return;
    }
    if (!dataLock.tryLockForWrite()) return;
    if (MobrelSms* first = currentThread->firstMessage) {
        const MobrelSms* shown = currentThread->lastMessage ? currentThread->lastMessage : first;
        addRow({utf8Text(shown->body), latin1Text(shown->date)}, &first->checkMark, currentThread,
               false, 2);
    }
    currentThread = currentThread->next;
    dataLock.unlock();
    if (!currentThread) loadTimer->stop();
}
