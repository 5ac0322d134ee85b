#include "DeviceManager_MusicWidget.h"

void DeviceManager_MusicWidget::setLanguageTexts() { setCategoryName(tr("Musics")); }
