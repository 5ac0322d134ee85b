#include "DeviceManagerWidget.h"

#include <QTimer>

#include "BackupItemWidget.h"
#include "DeleteDataThread.h"
#include "DeviceManager_CallLogWidget.h"
#include "DeviceManager_ContactWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "DeviceManager_MessagesWidget.h"
#include "DeviceManager_MusicWidget.h"
#include "DeviceManager_PhotoWidget.h"
#include "DeviceManager_VideoWidget.h"
#include "FlushDataThread.h"
#include "base/uiscale.h"
#include "mediacatalogue.h"
#include "mobrelclient.h"

namespace {

// Base widths of the left column and height of one entry in it.
constexpr int columnWidth = 200;
constexpr int entryHeight = 44;

const char* const entryNames[DeviceManagerWidget::categoryCount] = {
    "contactsEntry", "messagesEntry", "callLogEntry", "photosEntry", "videosEntry", "musicEntry"};
const char* const entryIcons[DeviceManagerWidget::categoryCount] = {
    ":/images/icon/contacts.png", ":/images/icon/sms.png",    ":/images/icon/calllog.png",
    ":/images/icon/photos.png",   ":/images/icon/videos.png", ":/images/icon/musics.png"};

// "Contacts (37/120)" while loading, "Contacts (120)" before the first page;
// the library's current count may run past the total by a few.
QString countText(const QString& name, int current, int total) {
    current = qMin(current, total);
    if (current < 1) return QString("%1 (%2)").arg(name).arg(total);
    return QString("%1 (%2/%3)").arg(name).arg(current).arg(total);
}

}  // namespace

DeviceManagerWidget::DeviceManagerWidget(QWidget* parent)
    : QWidget(parent),
      leftColumn(new QWidget(this)),
      deviceEntry(new BackupItemWidget(leftColumn)),
      contentArea(new QWidget(this)),
      m_deviceInfoView(new DeviceManager_DeviceInfoWidget(contentArea)),
      listViews{new DeviceManager_ContactWidget(this, contentArea), new DeviceManager_MessagesWidget(this, contentArea),
                new DeviceManager_CallLogWidget(this, contentArea)},
      mediaViews{new DeviceManager_PhotoWidget(this, contentArea), new DeviceManager_VideoWidget(this, contentArea),
                 new DeviceManager_MusicWidget(this, contentArea)},
      flushThread(new FlushDataThread(this)),
      deleteThread(new DeleteDataThread(this)),
      countTimer(new QTimer(this)) {
    leftColumn->setObjectName("leftColumn");
    contentArea->setObjectName("contentArea");
    deviceEntry->setObjectName("deviceEntry");
    m_deviceInfoView->setObjectName("deviceInfoView");
    // Plain widgets draw a style sheet's background only when asked to.
    leftColumn->setAttribute(Qt::WA_StyledBackground);
    contentArea->setAttribute(Qt::WA_StyledBackground);

    for (int i = 0; i < categoryCount; ++i) {
        categoryEntries[i] = new BackupItemWidget(leftColumn);
        categoryEntries[i]->setObjectName(entryNames[i]);
        categoryView(i)->setObjectName(QString(entryNames[i]).replace("Entry", "View"));
    }
    for (BackupItemWidget* entry : categoryEntries) {
        entry->setStatus(4);
        entry->setHoverHighlight(true);
        connect(entry, &BackupItemWidget::clicked, this, &DeviceManagerWidget::leftTypeWidgetClicked_slots);
    }
    deviceEntry->setStatus(4);
    deviceEntry->setHoverHighlight(true);
    connect(deviceEntry, &BackupItemWidget::clicked, this, &DeviceManagerWidget::leftTypeWidgetClicked_slots);
    hidePanels();

    connect(flushThread, &QThread::finished, this, &DeviceManagerWidget::flushDataThreadFinished);
    connect(deleteThread, &QThread::finished, this, &DeviceManagerWidget::deleteDataThreadFinished);
    countTimer->setInterval(500);
    connect(countTimer, &QTimer::timeout, this, &DeviceManagerWidget::m_tTimer1_slots);
}

DeviceManagerWidget::~DeviceManagerWidget() {
    // The workers must not outlive their objects; a load cannot be cut short.
    deleteThread->requestStop();
    deleteThread->wait();
    flushThread->wait();
}

DeviceManager_PanelWidget* DeviceManagerWidget::categoryView(int itemType) const {
    if (DeviceManager_BaseWidget* view = listView(itemType)) return view;
    return mediaView(itemType);
}

DeviceManager_BaseWidget* DeviceManagerWidget::listView(int itemType) const {
    return itemType >= 0 && itemType < 3 ? listViews[itemType] : nullptr;
}

DeviceManager_FileBaseWidget* DeviceManagerWidget::mediaView(int itemType) const {
    return isMediaType(itemType) ? mediaViews[itemType - 3] : nullptr;
}

void DeviceManagerWidget::layoutChildren() {
    leftColumn->setGeometry(0, 0, scaled(columnWidth), height());
    deviceEntry->setItemGeometry(0, 10, columnWidth, entryHeight);
    for (int i = 0; i < categoryCount; ++i)
        categoryEntries[i]->setItemGeometry(0, 10 + (i + 1) * entryHeight, columnWidth, entryHeight);
    contentArea->setGeometry(scaled(columnWidth), 0, qMax(0, width() - scaled(columnWidth)), height());
    m_deviceInfoView->setGeometry(contentArea->rect());
    m_deviceInfoView->layoutChildren();
    for (int i = 0; i < categoryCount; ++i) {
        categoryView(i)->setGeometry(contentArea->rect());
        categoryView(i)->layoutChildren();
    }
}

void DeviceManagerWidget::loadImages() {
    deviceEntry->setItemIcon(":/images/android.png");
    for (int i = 0; i < categoryCount; ++i) categoryEntries[i]->setItemIcon(entryIcons[i]);
    m_deviceInfoView->loadImages();
    for (int i = 0; i < categoryCount; ++i) categoryView(i)->loadImages();
}

void DeviceManagerWidget::setLanguageTexts() {
    leftColumn->setStyleSheet(
        "QWidget#leftColumn { background-color: #f3f7fa; border-right: 1px solid #d5dee6; }");
    contentArea->setStyleSheet("QWidget#contentArea { background-color: #ffffff; }");
    categoryNames = QStringList{tr("Contacts"), tr("Messages"), tr("Call History"),
                                tr("Gallery"),  tr("Videos"),   tr("Musics")};
    updateItemCounts(false);
    m_deviceInfoView->setLanguageTexts();
    for (int i = 0; i < categoryCount; ++i) categoryView(i)->setLanguageTexts();
}

void DeviceManagerWidget::hidePanels() {
    m_deviceInfoView->hide();
    for (int i = 0; i < categoryCount; ++i) categoryView(i)->hide();
}

void DeviceManagerWidget::showDeviceInfo() {
    hidePanels();
    m_deviceInfoView->refreshDeviceInfo();
    m_deviceInfoView->show();
}

QString DeviceManagerWidget::deviceName() const {
    const QString brand = m_deviceInfoView->deviceBrand();
    const QString name = brand + " " + QString(m_deviceInfoView->deviceModel()).remove(brand);
    return name.size() < 3 ? tr("Device") : name;
}

void DeviceManagerWidget::updateItemCounts(bool withCounts) {
    deviceEntry->setItemText(withCounts ? deviceName() : tr("Device"));
    deviceEntry->setStatus(4);
    for (int i = 0; i < categoryCount && i < categoryNames.size(); ++i) {
        if (!withCounts) {
            categoryEntries[i]->setItemText(categoryNames[i]);
            categoryEntries[i]->setStatus(4);
            continue;
        }
        const int total = MobrelApi_getItemTotalLoadedCount(i);
        categoryEntries[i]->setItemText(countText(categoryNames[i], MobrelApi_getItemCurrentLoadedCount(i), total));
    }
}

bool DeviceManagerWidget::isBusy() const { return jobPending; }

void DeviceManagerWidget::leftTypeWidgetClicked_slots(void* entry) {
    // A click while a job runs would show or fetch a list the job is changing.
    if (isBusy()) return;
    hidePanels();
    int itemType = 0;
    while (itemType < categoryCount && categoryEntries[itemType] != entry) ++itemType;
    if (itemType == categoryCount) {
        showDeviceInfo();
        return;
    }
    if (MobrelApi_CheckItemisLoaded(itemType) != 1) {
        startFlushData(itemType);
        return;
    }
    showItemView(itemType, false);  // already in the library's cache
}

void DeviceManagerWidget::startFlushData(int itemType) {
    if (isBusy()) return;
    jobPending = true;
    showItemView(itemType, true);
    flushThread->setItemType(itemType);
    flushThread->start();
    if (DeviceManager_FileBaseWidget* view = mediaView(itemType)) view->beginLoading();
    if (itemType >= 0 && itemType < categoryCount) categoryEntries[itemType]->setStatus(2);
    emit toolButtonsEnabled(false);
    startCountTimer();
}

void DeviceManagerWidget::showItemView(int itemType, bool loading) {
    DeviceManager_PanelWidget* view = categoryView(itemType);
    if (!view) {
        contentArea->show();
        return;
    }
    // One panel at a time, also when the load was started from elsewhere.
    hidePanels();
    if (DeviceManager_BaseWidget* list = listView(itemType)) {
        list->setToolBarEnabled(!loading);
        if (loading) {
            list->clearData();
        } else {
            list->loadData();
            list->checkDataEmpty();
        }
    } else if (loading) {
        mediaView(itemType)->clearMediaData();
    } else {
        mediaView(itemType)->showLoadedItems();
    }
    view->show();
}

void DeviceManagerWidget::startCountTimer() { countTimer->start(500); }

void DeviceManagerWidget::m_tTimer1_slots() {
    if (!flushThread->isRunning()) return;
    updateItemCounts(true);
    if (DeviceManager_FileBaseWidget* view = mediaView(flushThread->itemType())) view->showNewItems();
}

void DeviceManagerWidget::flushDataThreadFinished() {
    jobPending = false;
    countTimer->stop();
    const int itemType = flushThread->itemType();
    if (categoryView(itemType)) {
        showItemView(itemType, false);
        categoryEntries[itemType]->setStatus(4);
    }
    updateItemCounts(true);
    emit toolButtonsEnabled(true);
}

bool DeviceManagerWidget::startDeleteData(int itemType, DeviceManager_PanelWidget* view) {
    if (isBusy() || itemType < 0 || itemType >= categoryCount) return false;
    jobPending = true;
    pendingView = view;
    DeviceManager_FileBaseWidget* media = mediaView(itemType);
    deleteThread->setJob(itemType, media ? media->loadedCount() : 0);
    deleteThread->start();
    emit toolButtonsEnabled(false);
    categoryEntries[itemType]->setStatus(2);
    startCountTimer();
    return true;
}

void DeviceManagerWidget::stopDeleteData() { deleteThread->requestStop(); }

void DeviceManagerWidget::setExportEntry(std::function<bool(int, ExportingView*)> start, std::function<void()> stop) {
    exportStart = std::move(start);
    exportStop = std::move(stop);
}

bool DeviceManagerWidget::startExport(int itemType, ExportingView* view) {
    return exportStart && exportStart(itemType, view);
}

void DeviceManagerWidget::stopExport() {
    if (exportStop) exportStop();
}

void DeviceManagerWidget::setImportEntry(std::function<bool(const QStringList&, int)> start,
                                         std::function<void()> stop) {
    importStart = std::move(start);
    importStop = std::move(stop);
}

bool DeviceManagerWidget::startImport(const QStringList& files, int itemType) {
    return importStart && importStart(files, itemType);
}

void DeviceManagerWidget::stopImport() {
    if (importStop) importStop();
}

void DeviceManagerWidget::deleteDataThreadFinished() {
    countTimer->stop();
    const int itemType = deleteThread->itemType();
    categoryEntries[itemType]->setStatus(4);
    if (pendingView) {
        pendingView->endBusyState();
        pendingView = nullptr;
    }
    // Reloading shows what the phone really holds now, deleted or not.
    jobPending = false;
    startFlushData(itemType);
}

void DeviceManagerWidget::resetAllItems() {
    for (DeviceManager_BaseWidget* view : listViews) view->clearData();
    for (DeviceManager_FileBaseWidget* view : mediaViews) view->clearMediaData();
    for (int i = 0; i < categoryCount; ++i) MobrelApi_SetItemisUnLoaded(i);
    updateItemCounts(true);
}
