#include "DeleteDataThread.h"

#include "base/listheads.h"
#include "mediacatalogue.h"
#include "mobrelclient.h"

void DeleteDataThread::run() {
    switch (m_itemType) {
    case 0: deleteContacts(); break;
    case 1: deleteMessages(); break;
    case 2: deleteCalls(); break;
    case 3:
    case 4:
    case 5: deleteMediaItems(); break;
    default: break;
    }
}

void DeleteDataThread::deleteContacts() {
    for (const MobrelContact* c = contactListHead; c && !stopRequested(); c = c->next) {
        if (c->checkMark == 1 && c->contactId) MobrelApi_DeletePerson(c->contactId);
    }
}

bool DeleteDataThread::waitForMessagingRole() {
    MobrelApi_SetDefaultMessage();  // the phone asks its user to switch
    while (MobrelApi_CheckDefaultMessangeOK() != 0) {
        // One question a second; the stop request is looked at more often.
        for (int i = 0; i < 20; ++i) {
            if (stopRequested()) return false;
            msleep(50);
        }
    }
    return !stopRequested();
}

void DeleteDataThread::deleteMessages() {
    // From Android 4.4 on only the default messaging app may delete messages.
    if (MobrelApi_CheckAndroidVersionAt44() == 1 && !waitForMessagingRole()) return;
    if (stopRequested()) return;
    // One call removes a whole conversation; it counts as ticked when its first message is.
    for (const MobrelSmsThread* t = smsThreadListHead; t && !stopRequested(); t = t->next) {
        if (t->firstMessage && t->firstMessage->checkMark == 1 && t->threadId) MobrelApi_DeleteSMS(t->threadId);
    }
    MobrelApi_ReSetDefaultMessage();
}

void DeleteDataThread::deleteCalls() {
    for (const MobrelCallGroup* g = callGroupListHead; g; g = g->next) {
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next) {
            if (stopRequested()) return;
            if (e->checkMark == 1 && e->id) MobrelApi_DeleteCallHistory(e->id);
        }
    }
}

void DeleteDataThread::deleteMediaItems() {
    const int count = qMin(mediaCount(m_itemType), m_mediaLimit);
    for (int i = 0; i < count && !stopRequested(); ++i) {
        MediaRecord record;
        if (mediaAt(m_itemType, i, record) && *record.mark == 1) deleteMedia(m_itemType, record);
    }
}
