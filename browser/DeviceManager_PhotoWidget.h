// The phone's photos (itemType 3).
#pragma once

#include "DeviceManager_FileBaseWidget.h"

class DeviceManager_PhotoWidget : public DeviceManager_FileBaseWidget {
    Q_OBJECT

public:
    DeviceManager_PhotoWidget(DeviceManagerWidget* frame, QWidget* parent)
        : DeviceManager_FileBaseWidget(3, frame, parent) {
        setFileFilter(tr("Images (*.png *.jpg)"));
    }

    void setLanguageTexts() override;
};
