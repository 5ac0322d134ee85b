#include "DeviceManager_PhotoWidget.h"

void DeviceManager_PhotoWidget::setLanguageTexts() { setCategoryName(tr("Gallery")); }
