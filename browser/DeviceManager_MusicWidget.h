// The phone's music (itemType 5).
#pragma once

#include "DeviceManager_MediaPanelWidget.h"

class DeviceManager_MusicWidget : public DeviceManager_MediaPanelWidget {
    Q_OBJECT

public:
    explicit DeviceManager_MusicWidget(QWidget* parent) : DeviceManager_MediaPanelWidget(5, parent) {}

    void setLanguageTexts() override;
};
