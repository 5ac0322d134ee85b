// The phone's text messages (itemType 1), one row per conversation, selected
// through its first message; the list's head is smsThreadListHead. For now a
// row shows the conversation's latest message and its date.
#pragma once

#include "DeviceManager_BaseWidget.h"

struct MobrelSmsThread;

class DeviceManager_MessagesWidget : public DeviceManager_BaseWidget {
    Q_OBJECT

public:
    DeviceManager_MessagesWidget(DeviceManagerWidget* frame, QWidget* parent);

    void layoutChildren() override;
    void setLanguageTexts() override;

public slots:
    // One conversation.
    void m_tTimer1_slots() override;

protected:
    bool fetchList() override;
    void forgetList() override;

private:
    MobrelSmsThread* currentThread = nullptr;
};
