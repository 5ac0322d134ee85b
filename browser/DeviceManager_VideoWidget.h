// The phone's videos (itemType 4).
#pragma once

#include "DeviceManager_FileBaseWidget.h"

class DeviceManager_VideoWidget : public DeviceManager_FileBaseWidget {
    Q_OBJECT

public:
    DeviceManager_VideoWidget(DeviceManagerWidget* frame, QWidget* parent)
        : DeviceManager_FileBaseWidget(4, frame, parent) {
        setFileFilter(tr("Images (*.mp4 *.mov)"));
    }

    void setLanguageTexts() override;
};
