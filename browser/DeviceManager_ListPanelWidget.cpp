#include "DeviceManager_ListPanelWidget.h"

void DeviceManager_ListPanelWidget::loadData() {
    if (loadStarted) return;
    loadStarted = true;
    setLoadedCount(fetchList());
}

void DeviceManager_ListPanelWidget::clearData() {
    forgetList();
    loadStarted = false;
    setLoadedCount(0);
}

bool DeviceManager_ListPanelWidget::checkDataEmpty() {
    const bool empty = loadedCount() < 1;
    if (empty) setToolBarEnabled(false);
    return empty;
}
