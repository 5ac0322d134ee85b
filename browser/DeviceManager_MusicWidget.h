// The phone's songs (itemType 5).
#pragma once

#include "DeviceManager_FileBaseWidget.h"

class DeviceManager_MusicWidget : public DeviceManager_FileBaseWidget {
    Q_OBJECT

public:
    DeviceManager_MusicWidget(DeviceManagerWidget* frame, QWidget* parent)
        : DeviceManager_FileBaseWidget(5, frame, parent) {
        setFileFilter(tr("Musics (*.mp3)"));
    }

    void setLanguageTexts() override;
};
