// What the photo, video and music views share: the catalogue items shown as
// pages of 24 tiles with a scroll bar that moves page by page, "Select All" and
// the add, refresh, delete and export commands. While the library fetches the
// catalogue the view takes one new item per tick of the browser's count timer;
// afterwards the rest, one per 100 ms. Each item's tick is kept in its record's
// first field, which the delete and export workers read. Files dropped on the
// view are added like those picked with "Add Data".
#pragma once

#include <QReadWriteLock>

#include <deque>

#include "DeviceManager_PanelWidget.h"
#include "mediacatalogue.h"

class DeviceManagerWidget;
class GalleryIconShowWidget;
class ImagePreviewItem;
class MyMessageBoxWidget;
class MyPushButton;
class QCheckBox;
class QMimeData;
class QScrollBar;
class QTimer;
class ViewToolStrip;

class DeviceManager_FileBaseWidget : public DeviceManager_PanelWidget {
    Q_OBJECT

public:
    static constexpr int kPageSize = 24;

    DeviceManager_FileBaseWidget(int itemType, DeviceManagerWidget* frame, QWidget* parent);

    // Catalogue items the view holds.
    int loadedCount() const { return itemCount; }
    // For tests only: a shorter fill pace.
    void setFillInterval(int ms);

    void layoutChildren() override;
    void loadImages() override;
    void setLanguageTexts() override;
    void setToolBarEnabled(bool on) override;

    // Forgets every item.
    void clearMediaData();
    // Just before the category's load starts.
    void beginLoading();
    // During the load: takes the next item the library has listed, if any.
    void showNewItems();
    // After the load (or when it was loaded before): takes the remaining items.
    void showLoadedItems();

signals:
    void signal_pagedown();
    void signal_pageup();

public slots:
    void pagedown();
    void pageup();
    void scrollBar_verticalReleased();
    void scrollBar_actionTriggered(int action);
    void imageItem_ChangeCheckState_slots(ImagePreviewItem* tile, void* entry);
    void m_tTimer1_slots();
    void selectallCheckBox_slots();
    void addButton_slots();
    void flushButton_slots();

protected:
    // Each view passes its "Select All Photos" and the like, and the filter of
    // its add dialog, "Images (*.png *.jpg)" and the like.
    void setSelectAllText(const QString& text);
    void setFileFilter(const QString& filter) { fileFilter = filter; }

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Entry {
        MediaRecord record;
        int checkState = 2;
    };

    // Hands the files to the restore screen's worker and shows the "Add Data"
    // box until the category is loaded again; "Stop" ends the add.
    void addFiles(const QStringList& files);
    // The dropped local files that the add filter takes.
    QStringList droppedFiles(const QMimeData* data) const;
    void addItem(int index);
    void refresh();
    void drawPage();
    // Draws the page from start unless a page is being drawn.
    void showPageAt(int start);
    void updateScrollBar();
    // The four buttons and select-all off while a job reads the marks.
    void setMarkEditing(bool on) override;

    ViewToolStrip* toolBar;
    QCheckBox* selectAllCheckBox;
    MyPushButton* addButton;
    MyPushButton* flushButton;
    MyPushButton* deleteButton;
    MyPushButton* exportButton;
    GalleryIconShowWidget* gallery;
    QScrollBar* pageScrollBar;
    QTimer* loadTimer;
    bool loadStarted = false;
    QReadWriteLock dataLock;
    bool pageBusy = false;
    QReadWriteLock pageLock;
    std::deque<Entry> items;  // stays put as it grows: the tiles point into it
    int pageStart = 0;
    int itemCount = 0;
    int checkedCount = 0;
    MyMessageBoxWidget* addWaitBox = nullptr;
    QString fileFilter;
    int catalogueCount = 0;
    int nextIndex = 0;
    int addedCount = 0;
};
