#include "DeviceManager_FileBaseWidget.h"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>
#include <QWriteLocker>

#include "DeviceManagerWidget.h"
#include "GalleryIconShowWidget.h"
#include "ImagePreviewItem.h"
#include "MyPushButton.h"
#include "ViewToolStrip.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/uiscale.h"

DeviceManager_FileBaseWidget::DeviceManager_FileBaseWidget(int itemType, DeviceManagerWidget* frame, QWidget* parent)
    : DeviceManager_PanelWidget(itemType, frame, parent),
      toolBar(new ViewToolStrip({"addButton", "deleteButton", "exportButton"}, this)),
      selectAllCheckBox(toolBar->selectAll),
      addButton(toolBar->buttons[0]),
      flushButton(toolBar->refresh),
      deleteButton(toolBar->buttons[1]),
      exportButton(toolBar->buttons[2]),
      gallery(new GalleryIconShowWidget(this)),
      pageScrollBar(new QScrollBar(Qt::Vertical, this)),
      loadTimer(new QTimer(this)) {
    gallery->setObjectName("gallery");
    pageScrollBar->setObjectName("pageScrollBar");
    loadTimer->setObjectName("loadTimer");
    selectAllCheckBox->setCheckState(Qt::Checked);
    pageScrollBar->setRange(0, 0);
    pageScrollBar->setPageStep(1);
    pageScrollBar->hide();
    loadTimer->setInterval(100);
    setAcceptDrops(true);

    connect(pageScrollBar, &QScrollBar::sliderReleased, this,
            &DeviceManager_FileBaseWidget::scrollBar_verticalReleased);
    connect(pageScrollBar, &QScrollBar::actionTriggered, this,
            &DeviceManager_FileBaseWidget::scrollBar_actionTriggered);
    connect(gallery, &GalleryIconShowWidget::pagedown, this, &DeviceManager_FileBaseWidget::pagedown);
    connect(gallery, &GalleryIconShowWidget::pageup, this, &DeviceManager_FileBaseWidget::pageup);
    connect(this, &DeviceManager_FileBaseWidget::signal_pagedown, this, &DeviceManager_FileBaseWidget::pagedown);
    connect(this, &DeviceManager_FileBaseWidget::signal_pageup, this, &DeviceManager_FileBaseWidget::pageup);
    connect(gallery, &GalleryIconShowWidget::imageItem_ChangeCheckState, this,
            &DeviceManager_FileBaseWidget::imageItem_ChangeCheckState_slots);
    connect(addButton, &MyPushButton::clicked, this, &DeviceManager_FileBaseWidget::addButton_slots);
    connect(flushButton, &MyPushButton::clicked, this, &DeviceManager_FileBaseWidget::flushButton_slots);
    connect(deleteButton, &MyPushButton::clicked, this, &DeviceManager_FileBaseWidget::deleteMarked);
    connect(exportButton, &MyPushButton::clicked, this, &DeviceManager_FileBaseWidget::exportMarked);
    connect(selectAllCheckBox, &QCheckBox::clicked, this, &DeviceManager_FileBaseWidget::selectallCheckBox_slots);
    connect(loadTimer, &QTimer::timeout, this, &DeviceManager_FileBaseWidget::m_tTimer1_slots);
}

void DeviceManager_FileBaseWidget::setFillInterval(int ms) { loadTimer->setInterval(ms); }

void DeviceManager_FileBaseWidget::layoutChildren() {
    const int strip = scaled(ViewToolStrip::kHeight);
    toolBar->layoutChildren(width());
    const int bar = scaled(5);
    gallery->setGeometry(0, strip, qMax(0, width() - bar), qMax(0, height() - strip));
    gallery->layoutChildren();
    pageScrollBar->setGeometry(width() - bar, strip, bar, qMax(0, height() - strip));
}

void DeviceManager_FileBaseWidget::loadImages() { toolBar->loadImages(); }

void DeviceManager_FileBaseWidget::setLanguageTexts() {
    toolBar->setTexts({tr("Add Data"), tr("Delete"), tr("Export")});
    gallery->setLanguageTexts();
}

void DeviceManager_FileBaseWidget::setSelectAllText(const QString& text) { selectAllCheckBox->setText(text); }

void DeviceManager_FileBaseWidget::setToolBarEnabled(bool on) { setMarkEditing(on); }

void DeviceManager_FileBaseWidget::setMarkEditing(bool on) {
    toolBar->setCommandsEnabled(on);
    gallery->setEnabled(on);
}

void DeviceManager_FileBaseWidget::clearMediaData() {
    {
        QWriteLocker lock(&dataLock);
        loadTimer->stop();
        checkedCount = itemCount = pageStart = 0;
        items.clear();
        selectAllCheckBox->setCheckState(Qt::Checked);
        loadStarted = false;
    }
    drawPage();
}

void DeviceManager_FileBaseWidget::beginLoading() {
    clearMediaData();
    catalogueCount = mediaCount(itemType());
    nextIndex = addedCount = 0;
    closeWaitBox(addWaitBox);  // the add has ended
}

void DeviceManager_FileBaseWidget::showNewItems() { addItem(addedCount); }

void DeviceManager_FileBaseWidget::showLoadedItems() {
    if (loadStarted) return;
    loadStarted = true;
    catalogueCount = mediaCount(itemType());
    nextIndex = addedCount;  // after what the load already showed
    loadTimer->start();
}

void DeviceManager_FileBaseWidget::m_tTimer1_slots() {
    if (nextIndex >= catalogueCount) {
        loadTimer->stop();
        return;
    }
    addItem(nextIndex);
    if (!dataLock.tryLockForWrite()) return;
    if (++nextIndex >= catalogueCount) loadTimer->stop();
    dataLock.unlock();
}

void DeviceManager_FileBaseWidget::addItem(int index) {
    if (!dataLock.tryLockForWrite()) return;
    Entry entry;
    if (!mediaAt(itemType(), index, entry.record)) {
        dataLock.unlock();
        return;
    }
    *entry.record.mark = 1;
    items.push_back(entry);
    ++checkedCount;
    ++itemCount;
    ++addedCount;
    dataLock.unlock();
    refresh();
}

void DeviceManager_FileBaseWidget::refresh() {
    if (!isVisible()) return;
    // New items beyond a full page only lengthen the scroll bar.
    if (itemCount >= kPageSize && gallery->shownCount() == kPageSize)
        updateScrollBar();
    else
        drawPage();
}

void DeviceManager_FileBaseWidget::updateScrollBar() {
    pageScrollBar->setMaximum(itemCount / kPageSize);
    pageScrollBar->setValue(pageStart / kPageSize);
    pageScrollBar->setVisible(pageScrollBar->maximum() > 0);
}

void DeviceManager_FileBaseWidget::drawPage() {
    QWriteLocker lock(&pageLock);
    gallery->clearTiles();
    const QString cache = mobrelTempFolder();
    const QString placeholder = placeholderImage(itemType());
    int n = 0;
    for (int i = pageStart; i < itemCount && n < kPageSize; ++i, ++n) {
        Entry& entry = items[static_cast<size_t>(i)];
        const QString thumbnail = cache + QString::fromStdString(thumbnailFile(itemType(), entry.record));
        gallery->tile(n)->setTileItem(thumbnail, QString::fromUtf8(entry.record.title), thumbnail, placeholder, &entry,
                                      entry.checkState);
    }
    updateScrollBar();
    gallery->setShownCount(n);
}

void DeviceManager_FileBaseWidget::pagedown() {
    if (pageStart + kPageSize < itemCount) showPageAt(pageStart + kPageSize);
}

void DeviceManager_FileBaseWidget::pageup() {
    if (pageStart > 0) showPageAt(pageStart - kPageSize);
}

void DeviceManager_FileBaseWidget::showPageAt(int start) {
    if (pageBusy) return;
    pageBusy = true;
    pageStart = start;
    drawPage();
    pageBusy = false;
}

void DeviceManager_FileBaseWidget::scrollBar_verticalReleased() {
    int page = pageScrollBar->value() * kPageSize;
    if (page < 1) page = 0;
    if (page >= itemCount || (pageStart <= 0 && page <= 0)) return;
    showPageAt(page);
}

void DeviceManager_FileBaseWidget::scrollBar_actionTriggered(int action) {
    if (action == QAbstractSlider::SliderSingleStepAdd || action == QAbstractSlider::SliderPageStepAdd)
        emit signal_pagedown();
    else if (action == QAbstractSlider::SliderSingleStepSub || action == QAbstractSlider::SliderPageStepSub)
        emit signal_pageup();
}

void DeviceManager_FileBaseWidget::imageItem_ChangeCheckState_slots(ImagePreviewItem* tile, void* data) {
    auto* entry = static_cast<Entry*>(data);
    if (!entry || entry->checkState == tile->checkState) return;
    const bool checked = tile->checkState == 2;
    *entry->record.mark = checked ? 1 : 0;
    checkedCount += checked ? 1 : -1;
    entry->checkState = tile->checkState;
    selectAllCheckBox->setCheckState(checkedCount > 0 ? Qt::Checked : Qt::Unchecked);
}

void DeviceManager_FileBaseWidget::selectallCheckBox_slots() {
    const bool on = selectAllCheckBox->checkState() != Qt::Unchecked;
    for (Entry& entry : items) {
        entry.checkState = on ? 2 : 0;
        *entry.record.mark = on ? 1 : 0;
    }
    for (int i = 0; i < GalleryIconShowWidget::kTileCount; ++i) gallery->tile(i)->setCheckState(on ? 2 : 0);
}

void DeviceManager_FileBaseWidget::flushButton_slots() {
    clearMediaData();
    frame->startFlushData(itemType());
}

void DeviceManager_FileBaseWidget::addButton_slots() {
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Select one or more files to device"),
                                                            folderSetting("openfile"), fileFilter);
    if (files.isEmpty()) return;
    setFolderSetting("openfile", QFileInfo(files.first()).absolutePath());
    addFiles(files);
}

void DeviceManager_FileBaseWidget::addFiles(const QStringList& files) {
    if (!frame->startImport(files, itemType())) return;
    if (runWaitBox(tr("Add Data"), addWaitBox)) frame->stopImport();
}

QStringList DeviceManager_FileBaseWidget::droppedFiles(const QMimeData* data) const {
    // The patterns between the filter's brackets: "*.png *.jpg".
    const QRegularExpression patterns("\\(([^)]*)\\)");
    const QStringList accepted = patterns.match(fileFilter).captured(1).split(' ', Qt::SkipEmptyParts);
    QStringList files;
    for (const QUrl& url : data->urls()) {
        const QFileInfo file(url.toLocalFile());
        if (url.isLocalFile() && file.isFile() && QDir::match(accepted, file.fileName()))
            files << file.absoluteFilePath();
    }
    return files;
}

void DeviceManager_FileBaseWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void DeviceManager_FileBaseWidget::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    // The box runs modally: not inside the drag's own event handling.
    QMetaObject::invokeMethod(
        this, [this, files] { addFiles(files); }, Qt::QueuedConnection);
}
