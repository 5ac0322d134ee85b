// The part the photo, video and music views share: the catalogue items the view
// holds. While the library fetches the catalogue the view takes one new item per
// tick of the browser's count timer; afterwards the rest, one per 100 ms. For
// now it shows the category's name and how many items it holds.
#pragma once

#include "DeviceManager_PanelWidget.h"

class QLabel;
class QTimer;

class DeviceManager_MediaPanelWidget : public DeviceManager_PanelWidget {
    Q_OBJECT

public:
    DeviceManager_MediaPanelWidget(int itemType, QWidget* parent);

    // Catalogue items the view holds.
    int loadedCount() const { return m_loadedCount; }

    void layoutChildren() override;
    void setToolBarEnabled(bool on) override { setEnabled(on); }
    void endBusyState() override { setToolBarEnabled(true); }

    // Forgets every item.
    void clearMediaData();
    // Just before the category's load starts.
    void beginLoading();
    // During the load: takes the next item the library has listed, if any.
    void showNewItems();
    // After the load (or when it was loaded before): takes the remaining items.
    void showLoadedItems();

protected:
    // Each view names its category and passes the name to setCategoryName.
    void setCategoryName(const QString& name);

private slots:
    void m_tTimer1_slots();

private:
    void setLoadedCount(int count);
    // Takes catalogue item index, if the library lists it, and marks it ticked.
    void addItem(int index);

    QLabel* nameLabel;
    QLabel* countLabel;
    QTimer* loadTimer;
    int m_loadedCount = 0;
    bool loadStarted = false;
    int catalogueCount = 0;
    int nextIndex = 0;
};
