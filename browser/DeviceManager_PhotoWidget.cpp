#include "DeviceManager_PhotoWidget.h"

void DeviceManager_PhotoWidget::setLanguageTexts() {
    DeviceManager_FileBaseWidget::setLanguageTexts();
    setSelectAllText(tr("Select All Photos"));
}
