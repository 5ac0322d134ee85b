// One tile of the media gallery: the item's thumbnail on a frame, its title
// below, a check mark when ticked and a loading animation until the picture
// is drawn. A click toggles the tick.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QMovie;

class ImagePreviewItem : public QWidget {
    Q_OBJECT

public:
    explicit ImagePreviewItem(QWidget* parent);

    void layoutChildren();
    void setLanguageTexts();

    // Shows the item in the tile; the picture is loaded again only for another
    // item (titleKey names it). state is 2 checked or 0.
    void setTileItem(const QString& titleKey, const QString& title, const QString& thumbnail,
                     const QString& placeholder, void* entry, int state);
    // Hidden and without item.
    void clearTile();
    void setCheckState(int state);
    // Draws the thumbnail, or the placeholder when there is no readable one; once per item.
    void loadThumbnail();

    bool inUse = false;
    bool loaded = false;
    bool imageOk = false;
    int checkState = 0;
    void* entry = nullptr;
    QString titleKey;

signals:
    void imageItem_ChangeCheckState(ImagePreviewItem* tile, void* entry);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showTitle();

    QLabel* background;
    QLabel* picture;
    QLabel* loading;
    QMovie* loadingMovie;
    QLabel* checkMark;
    QLabel* titleLabel;
    QString fullTitle;
    QString thumbnailPath;
    QString placeholderPath;
    bool pressed = false;
};
