#include "DeviceManager_MusicWidget.h"

void DeviceManager_MusicWidget::setLanguageTexts() {
    DeviceManager_FileBaseWidget::setLanguageTexts();
    setSelectAllText(tr("Select All Musics"));
}
