// The page of the media views: 24 tiles in 4 rows of 6, made once. After a
// page is drawn the tiles' thumbnails load one per 10 ms tick, so that a page
// never holds up the window; the wheel turns pages.
#pragma once

#include <QReadWriteLock>
#include <QWidget>

class ImagePreviewItem;
class QTimer;

class GalleryIconShowWidget : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTileCount = 24;
    static constexpr int kColumns = 6;

    explicit GalleryIconShowWidget(QWidget* parent);

    void layoutChildren();
    void setLanguageTexts();
    ImagePreviewItem* tile(int index) const { return tiles[index]; }
    // Every tile hidden and without item.
    void clearTiles();
    // The first count tiles hold the page; their thumbnails load from tile 0.
    void setShownCount(int count);
    int shownCount() const { return m_shownCount; }

signals:
    void pagedown();
    void pageup();
    void imageItem_ChangeCheckState(ImagePreviewItem* tile, void* entry);

public slots:
    // One thumbnail step.
    void m_Timer1_slots();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    ImagePreviewItem* tiles[kTileCount];
    int m_shownCount = 0;
    int thumbIndex = 0;
    QTimer* thumbTimer;
    QReadWriteLock thumbLock;
};
