#include "DeviceManager_MediaPanelWidget.h"

#include <QTimer>

#include "mediacatalogue.h"

DeviceManager_MediaPanelWidget::DeviceManager_MediaPanelWidget(int itemType, QWidget* parent)
    : DeviceManager_PanelWidget(itemType, parent), loadTimer(new QTimer(this)) {
    loadTimer->setInterval(100);
    connect(loadTimer, &QTimer::timeout, this, &DeviceManager_MediaPanelWidget::m_tTimer1_slots);
}

void DeviceManager_MediaPanelWidget::clearMediaData() {
    loadTimer->stop();
    loadStarted = false;
    catalogueCount = nextIndex = 0;
    setLoadedCount(0);
}

void DeviceManager_MediaPanelWidget::beginLoading() { clearMediaData(); }

void DeviceManager_MediaPanelWidget::showNewItems() { addItem(loadedCount()); }

void DeviceManager_MediaPanelWidget::showLoadedItems() {
    if (loadStarted) return;
    loadStarted = true;
    catalogueCount = mediaCount(itemType());
    nextIndex = loadedCount();  // after what the load already showed
    loadTimer->start();
}

void DeviceManager_MediaPanelWidget::m_tTimer1_slots() {
    if (nextIndex < catalogueCount) addItem(nextIndex++);
    if (nextIndex >= catalogueCount) loadTimer->stop();
}

void DeviceManager_MediaPanelWidget::addItem(int index) {
    MediaRecord record;
    if (!mediaAt(itemType(), index, record)) return;
    *record.mark = 1;
    setLoadedCount(loadedCount() + 1);
}
