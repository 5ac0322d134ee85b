#include "GalleryIconShowWidget.h"

#include <QTimer>
#include <QWheelEvent>
#include <QWriteLocker>

#include "ImagePreviewItem.h"
#include "base/uiscale.h"

GalleryIconShowWidget::GalleryIconShowWidget(QWidget* parent) : QWidget(parent), thumbTimer(new QTimer(this)) {
    for (int i = 0; i < kTileCount; ++i) {
        tiles[i] = new ImagePreviewItem(this);
        tiles[i]->setObjectName(QString("tile%1").arg(i));
        connect(tiles[i], &ImagePreviewItem::imageItem_ChangeCheckState, this,
                &GalleryIconShowWidget::imageItem_ChangeCheckState);
    }
    thumbTimer->setObjectName("thumbTimer");
    thumbTimer->setInterval(10);
    connect(thumbTimer, &QTimer::timeout, this, &GalleryIconShowWidget::m_Timer1_slots);
}

void GalleryIconShowWidget::layoutChildren() {
    const int gap = scaled(10);
    const int rows = kTileCount / kColumns;
    const int w = qMax(0, (width() - gap * (kColumns + 1)) / kColumns);
    const int h = qMax(0, (height() - gap * (rows + 1)) / rows);
    for (int i = 0; i < kTileCount; ++i) {
        tiles[i]->setGeometry(gap + (i % kColumns) * (w + gap), gap + (i / kColumns) * (h + gap), w, h);
        tiles[i]->layoutChildren();
    }
}

void GalleryIconShowWidget::setLanguageTexts() {
    for (ImagePreviewItem* tile : tiles) tile->setLanguageTexts();
}

void GalleryIconShowWidget::clearTiles() {
    for (ImagePreviewItem* tile : tiles) tile->clearTile();
    m_shownCount = 0;
}

void GalleryIconShowWidget::setShownCount(int count) {
    QWriteLocker lock(&thumbLock);
    m_shownCount = count;
    thumbIndex = 0;
    thumbTimer->start();
}

void GalleryIconShowWidget::m_Timer1_slots() {
    if (!thumbLock.tryLockForWrite()) return;
    if (thumbIndex + 1 > kTileCount - 1) thumbTimer->stop();
    tiles[thumbIndex]->loadThumbnail();
    thumbIndex = qMin(thumbIndex + 1, kTileCount - 1);
    thumbLock.unlock();
}

void GalleryIconShowWidget::wheelEvent(QWheelEvent* event) {
    const int degrees = event->angleDelta().y() / 8;
    if (degrees < -1) emit pagedown();
    if (degrees > 1) emit pageup();
    event->accept();
}
