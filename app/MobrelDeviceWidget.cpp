#include "MobrelDeviceWidget.h"

#include "DeviceConnectedWidget.h"
#include "DeviceManagerWidget.h"

MobrelDeviceWidget::MobrelDeviceWidget(QWidget* parent)
    : QWidget(parent),
      m_connectionScreen(new DeviceConnectedWidget(this)),
      m_dataBrowser(new DeviceManagerWidget(this)) {
    m_dataBrowser->hide();
}

void MobrelDeviceWidget::layoutChildren() {
    m_connectionScreen->setGeometry(rect());
    m_dataBrowser->setGeometry(rect());
    m_connectionScreen->layoutChildren();
    m_dataBrowser->layoutChildren();
}

void MobrelDeviceWidget::loadImages() {
    m_connectionScreen->loadImages();
    m_dataBrowser->loadImages();
}

void MobrelDeviceWidget::setLanguageTexts() {
    m_connectionScreen->setLanguageTexts();
    m_dataBrowser->setLanguageTexts();
}

void MobrelDeviceWidget::chooseVisibleChild() {
    if (!m_connectionScreen->isConnected()) {
        m_dataBrowser->hide();
        m_connectionScreen->show();
        return;
    }
    m_connectionScreen->hide();
    m_dataBrowser->show();
    m_dataBrowser->updateItemCounts(true);
}
