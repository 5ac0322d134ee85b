// The part the photo, video and music views share: the catalogue items the view
// holds. While the library fetches the catalogue the view takes one new item per
// tick of the browser's count timer; afterwards the rest, one per 100 ms.
#pragma once

#include "DeviceManager_PanelWidget.h"

class QTimer;

class DeviceManager_MediaPanelWidget : public DeviceManager_PanelWidget {
    Q_OBJECT

public:
    DeviceManager_MediaPanelWidget(int itemType, QWidget* parent);

    // Forgets every item.
    void clearMediaData();
    // Just before the category's load starts.
    void beginLoading();
    // During the load: takes the next item the library has listed, if any.
    void showNewItems();
    // After the load (or when it was loaded before): takes the remaining items.
    void showLoadedItems();

private slots:
    void m_tTimer1_slots();

private:
    // Takes catalogue item index, if the library lists it, and marks it ticked.
    void addItem(int index);

    QTimer* loadTimer;
    bool loadStarted = false;
    int catalogueCount = 0;
    int nextIndex = 0;
};
