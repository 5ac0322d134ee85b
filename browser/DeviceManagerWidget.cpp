#include "DeviceManagerWidget.h"

#include "BackupItemWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "base/uiscale.h"

namespace {

// Base widths of the left column and height of one entry in it.
constexpr int columnWidth = 200;
constexpr int entryHeight = 44;

}  // namespace

DeviceManagerWidget::DeviceManagerWidget(QWidget* parent)
    : QWidget(parent),
      leftColumn(new QWidget(this)),
      deviceEntry(new BackupItemWidget(leftColumn)),
      contentArea(new QWidget(this)),
      m_deviceInfoView(new DeviceManager_DeviceInfoWidget(contentArea)) {
    leftColumn->setObjectName("leftColumn");
    contentArea->setObjectName("contentArea");
    deviceEntry->setObjectName("deviceEntry");
    m_deviceInfoView->setObjectName("deviceInfoView");
    // Plain widgets draw a style sheet's background only when asked to.
    leftColumn->setAttribute(Qt::WA_StyledBackground);
    contentArea->setAttribute(Qt::WA_StyledBackground);
    deviceEntry->setStatus(4);
    deviceEntry->setHoverHighlight(true);
    connect(deviceEntry, &BackupItemWidget::clicked, this,
            &DeviceManagerWidget::leftTypeWidgetClicked_slots);
}

void DeviceManagerWidget::layoutChildren() {
    leftColumn->setGeometry(0, 0, scaled(columnWidth), height());
    deviceEntry->setItemGeometry(0, 10, columnWidth, entryHeight);
    contentArea->setGeometry(scaled(columnWidth), 0, qMax(0, width() - scaled(columnWidth)), height());
    m_deviceInfoView->setGeometry(contentArea->rect());
    m_deviceInfoView->layoutChildren();
}

void DeviceManagerWidget::loadImages() {
    deviceEntry->setItemIcon(":/images/android.png");
    m_deviceInfoView->loadImages();
}

void DeviceManagerWidget::setLanguageTexts() {
    leftColumn->setStyleSheet(
        "QWidget#leftColumn { background-color: #f3f7fa; border-right: 1px solid #d5dee6; }");
    contentArea->setStyleSheet("QWidget#contentArea { background-color: #ffffff; }");
    updateItemCounts(false);
    m_deviceInfoView->setLanguageTexts();
}

void DeviceManagerWidget::showDeviceInfo() {
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
}

void DeviceManagerWidget::leftTypeWidgetClicked_slots(void*) {
    // The device entry is the only entry: it always opens the device information view.
    showDeviceInfo();
}
