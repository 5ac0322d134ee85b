// The phone's text messages (itemType 1), one conversation after another; the list's head is smsThreadListHead.
#pragma once

#include "DeviceManager_ListPanelWidget.h"

class DeviceManager_MessagesWidget : public DeviceManager_ListPanelWidget {
    Q_OBJECT

public:
    explicit DeviceManager_MessagesWidget(QWidget* parent) : DeviceManager_ListPanelWidget(1, parent) {}

    void setLanguageTexts() override;

protected:
    int fetchList() override;
    void forgetList() override;
};
