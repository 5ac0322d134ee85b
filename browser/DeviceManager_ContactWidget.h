// The phone's contacts (itemType 0); the list's head is contactListHead.
#pragma once

#include "DeviceManager_ListPanelWidget.h"

class DeviceManager_ContactWidget : public DeviceManager_ListPanelWidget {
    Q_OBJECT

public:
    explicit DeviceManager_ContactWidget(QWidget* parent) : DeviceManager_ListPanelWidget(0, parent) {}

    void setLanguageTexts() override;

protected:
    int fetchList() override;
    void forgetList() override;
};
