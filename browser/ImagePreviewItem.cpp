#include "ImagePreviewItem.h"

#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPixmap>

#include "base/uiscale.h"

ImagePreviewItem::ImagePreviewItem(QWidget* parent)
    : QWidget(parent),
      background(new QLabel(this)),
      picture(new QLabel(this)),
      loading(new QLabel(this)),
      loadingMovie(new QMovie(":/images/small_loadimg.gif", QByteArray(), this)),
      checkMark(new QLabel(this)),
      titleLabel(new QLabel(this)) {
    picture->setObjectName("picture");
    loading->setObjectName("loading");
    checkMark->setObjectName("checkMark");
    titleLabel->setObjectName("titleLabel");
    titleLabel->setTextFormat(Qt::PlainText);  // titles come from the phone
    titleLabel->setAlignment(Qt::AlignCenter);
    picture->setAlignment(Qt::AlignCenter);
    loading->setMovie(loadingMovie);
    checkMark->hide();
    hide();
}

void ImagePreviewItem::layoutChildren() {
    const int titleHeight = scaled(20);
    const int pictureHeight = qMax(0, height() - titleHeight);
    background->setGeometry(0, 0, width(), pictureHeight);
    picture->setGeometry(scaled(4), scaled(4), qMax(0, width() - scaled(8)), qMax(0, pictureHeight - scaled(8)));
    const int gif = scaled(32);
    loading->setGeometry((width() - gif) / 2, (pictureHeight - gif) / 2, gif, gif);
    checkMark->setGeometry(width() - scaled(30), 0, scaled(30), scaled(30));
    titleLabel->setGeometry(0, pictureHeight, width(), titleHeight);
    showTitle();
    background->setPixmap(QPixmap(":/images/imagepreviewbg.png").scaled(background->size()));
    checkMark->setPixmap(QPixmap(":/images/check/checked1.png").scaled(checkMark->size()));
}

void ImagePreviewItem::setLanguageTexts() {
    titleLabel->setStyleSheet(QString("QLabel {color: #FFFFFF;font:%1px;font-family:\"Lato\";} "
                                      "QLabel { background-color: rgba(66, 88, 106, 200); }")
                                  .arg(scaled(12)));
    showTitle();
}

void ImagePreviewItem::showTitle() {
    // A long title is cut in the middle, which keeps its start and its end;
    // the whole title is in the tool tip, escaped since it comes from the phone.
    titleLabel->ensurePolished();
    const int room = qMax(0, titleLabel->width() - scaled(8));
    titleLabel->setText(titleLabel->fontMetrics().elidedText(fullTitle, Qt::ElideMiddle, room));
    titleLabel->setToolTip(fullTitle.isEmpty() ? QString() : "<qt>" + fullTitle.toHtmlEscaped() + "</qt>");
}

void ImagePreviewItem::setTileItem(const QString& key, const QString& title, const QString& thumbnail,
                                   const QString& placeholder, void* tileEntry, int state) {
    // The same item keeps its picture, also a placeholder.
    if (titleKey != key) {
        titleKey = key;
        fullTitle = title;
        showTitle();
        thumbnailPath = thumbnail;
        placeholderPath = placeholder;
        picture->clear();
        loading->show();
        loaded = imageOk = false;
    }
    if (!loaded) loadingMovie->start();
    show();
    inUse = true;
    entry = tileEntry;
    setCheckState(state);
}

void ImagePreviewItem::clearTile() {
    hide();
    loadingMovie->stop();
    inUse = false;
    entry = nullptr;
}

void ImagePreviewItem::setCheckState(int state) {
    checkState = state;
    checkMark->setVisible(state == 2);
}

void ImagePreviewItem::loadThumbnail() {
    if (!inUse || loaded) return;
    QPixmap pixmap(thumbnailPath);
    imageOk = !pixmap.isNull();
    // No thumbnail yet, or a file that is not a picture: the kind's placeholder.
    if (!imageOk) pixmap.load(placeholderPath);
    picture->setPixmap(pixmap.scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    loadingMovie->stop();
    loading->hide();
    loaded = true;
}

void ImagePreviewItem::mousePressEvent(QMouseEvent* event) {
    pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ImagePreviewItem::mouseReleaseEvent(QMouseEvent* event) {
    const bool clicked = pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed = false;
    if (!clicked) return;
    setCheckState(checkState == 2 ? 0 : 2);
    if (entry) emit imageItem_ChangeCheckState(this, entry);
}
