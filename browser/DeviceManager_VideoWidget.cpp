#include "DeviceManager_VideoWidget.h"

void DeviceManager_VideoWidget::setLanguageTexts() {
    DeviceManager_FileBaseWidget::setLanguageTexts();
    setSelectAllText(tr("Select All Videos"));
}
