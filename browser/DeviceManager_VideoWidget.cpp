#include "DeviceManager_VideoWidget.h"

void DeviceManager_VideoWidget::setLanguageTexts() { setCategoryName(tr("Videos")); }
