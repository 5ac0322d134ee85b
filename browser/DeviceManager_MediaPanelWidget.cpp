#include "DeviceManager_MediaPanelWidget.h"

#include <QLabel>
#include <QTimer>

#include "base/uiscale.h"
#include "mediacatalogue.h"

DeviceManager_MediaPanelWidget::DeviceManager_MediaPanelWidget(int itemType, QWidget* parent)
    : DeviceManager_PanelWidget(itemType, parent),
      nameLabel(new QLabel(this)),
      countLabel(new QLabel(this)),
      loadTimer(new QTimer(this)) {
    nameLabel->setObjectName("panelNameLabel");
    countLabel->setObjectName("panelCountLabel");
    // The names are the program's, the counts numbers: still never markup.
    nameLabel->setTextFormat(Qt::PlainText);
    countLabel->setTextFormat(Qt::PlainText);
    setLoadedCount(0);
    loadTimer->setInterval(100);
    connect(loadTimer, &QTimer::timeout, this, &DeviceManager_MediaPanelWidget::m_tTimer1_slots);
}

void DeviceManager_MediaPanelWidget::layoutChildren() {
    const int w = qMax(0, width() - scaled(80));
    nameLabel->setGeometry(scaled(40), scaled(40), w, scaled(30));
    countLabel->setGeometry(scaled(40), scaled(80), w, scaled(24));
}

void DeviceManager_MediaPanelWidget::setCategoryName(const QString& name) {
    // Set with the texts, not with every count: a new style sheet is costly.
    const auto style = [](int px) {
        return QString("QLabel { color: #333333;font:%1px;font-family:\"Lato\";} QLabel:disabled { color: #b9b8b8; }")
            .arg(scaled(px));
    };
    nameLabel->setStyleSheet(style(18));
    countLabel->setStyleSheet(style(14));
    nameLabel->setText(name);
}

void DeviceManager_MediaPanelWidget::setLoadedCount(int count) {
    m_loadedCount = count;
    countLabel->setText(tr("%1 loaded").arg(count));
}

void DeviceManager_MediaPanelWidget::clearMediaData() {
    loadTimer->stop();
    loadStarted = false;
    catalogueCount = nextIndex = 0;
    setLoadedCount(0);
}

void DeviceManager_MediaPanelWidget::beginLoading() { clearMediaData(); }

void DeviceManager_MediaPanelWidget::showNewItems() { addItem(loadedCount()); }

void DeviceManager_MediaPanelWidget::showLoadedItems() {
    if (loadStarted) return;
    loadStarted = true;
    catalogueCount = mediaCount(itemType());
    nextIndex = loadedCount();  // after what the load already showed
    loadTimer->start();
}

void DeviceManager_MediaPanelWidget::m_tTimer1_slots() {
    if (nextIndex < catalogueCount) addItem(nextIndex++);
    if (nextIndex >= catalogueCount) loadTimer->stop();
}

void DeviceManager_MediaPanelWidget::addItem(int index) {
    MediaRecord record;
    if (!mediaAt(itemType(), index, record)) return;
    *record.mark = 1;
    setLoadedCount(loadedCount() + 1);
}
