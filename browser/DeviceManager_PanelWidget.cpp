#include "DeviceManager_PanelWidget.h"

#include <QLabel>

#include "base/uiscale.h"

DeviceManager_PanelWidget::DeviceManager_PanelWidget(int itemType, QWidget* parent)
    : QWidget(parent), m_itemType(itemType), nameLabel(new QLabel(this)), countLabel(new QLabel(this)) {
    nameLabel->setObjectName("panelNameLabel");
    countLabel->setObjectName("panelCountLabel");
    // The names are the program's, the counts numbers: still never markup.
    nameLabel->setTextFormat(Qt::PlainText);
    countLabel->setTextFormat(Qt::PlainText);
    setLoadedCount(0);
}

void DeviceManager_PanelWidget::layoutChildren() {
    const int w = qMax(0, width() - scaled(80));
    nameLabel->setGeometry(scaled(40), scaled(40), w, scaled(30));
    countLabel->setGeometry(scaled(40), scaled(80), w, scaled(24));
}

void DeviceManager_PanelWidget::setCategoryName(const QString& name) {
    // Set with the texts, not with every count: a new style sheet is costly.
    const auto style = [](int px) {
        return QString("QLabel { color: #333333;font:%1px;font-family:\"Lato\";} QLabel:disabled { color: #b9b8b8; }")
            .arg(scaled(px));
    };
    nameLabel->setStyleSheet(style(18));
    countLabel->setStyleSheet(style(14));
    nameLabel->setText(name);
}

void DeviceManager_PanelWidget::setLoadedCount(int count) {
    m_loadedCount = count;
    countLabel->setText(tr("%1 loaded").arg(count));
}
