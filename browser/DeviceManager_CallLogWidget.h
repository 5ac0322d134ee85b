// The phone's call history (itemType 2), grouped by number; the list's head is callGroupListHead.
#pragma once

#include "DeviceManager_ListPanelWidget.h"

class DeviceManager_CallLogWidget : public DeviceManager_ListPanelWidget {
    Q_OBJECT

public:
    explicit DeviceManager_CallLogWidget(QWidget* parent) : DeviceManager_ListPanelWidget(2, parent) {}

    void setLanguageTexts() override;

protected:
    int fetchList() override;
    void forgetList() override;
};
