// The phone's videos (itemType 4).
#pragma once

#include "DeviceManager_MediaPanelWidget.h"

class DeviceManager_VideoWidget : public DeviceManager_MediaPanelWidget {
    Q_OBJECT

public:
    explicit DeviceManager_VideoWidget(QWidget* parent) : DeviceManager_MediaPanelWidget(4, parent) {}

    void setLanguageTexts() override;
};
