// The phone's photos (itemType 3).
#pragma once

#include "DeviceManager_MediaPanelWidget.h"

class DeviceManager_PhotoWidget : public DeviceManager_MediaPanelWidget {
    Q_OBJECT

public:
    explicit DeviceManager_PhotoWidget(QWidget* parent) : DeviceManager_MediaPanelWidget(3, parent) {}

    void setLanguageTexts() override;
};
