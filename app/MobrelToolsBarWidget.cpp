#include "MobrelToolsBarWidget.h"

#include "MobrelMainWidget.h"
#include "MyLabel.h"
#include "MyPushButton.h"
#include "appglobals.h"
#include "base/uiscale.h"

#include <QPixmap>

namespace {

constexpr int kButtonCount = 4;
// Columns of the buttons' cells in the sprite, in button order.
constexpr int kSpriteColumns[kButtonCount] = {55, 180, 300, 428};

QString captionStyle(const char* colour) {
    return QStringLiteral("QLabel { color: %1;font:%2px;font-family:\"Lato\";}")
        .arg(QLatin1String(colour))
        .arg(scaled(14));
}

}  // namespace

MobrelToolsBarWidget::MobrelToolsBarWidget(QWidget* parent)
    : QWidget(parent),
      deviceButton(new MyPushButton(this)),
      backupButton(new MyPushButton(this)),
      restoreButton(new MyPushButton(this)),
      applistButton(new MyPushButton(this)) {
    for (int i = 0; i < kButtonCount; ++i) toolButton(i)->setLayoutMode(5);
    connect(deviceButton, &MyPushButton::clicked, this, &MobrelToolsBarWidget::deviceButton_slots);
    connect(backupButton, &MyPushButton::clicked, this, &MobrelToolsBarWidget::backupButton_slots);
    connect(restoreButton, &MyPushButton::clicked, this,
            &MobrelToolsBarWidget::restoreButton_slots);
    connect(applistButton, &MyPushButton::clicked, this,
            &MobrelToolsBarWidget::applistButton_slots);
}

MyPushButton* MobrelToolsBarWidget::toolButton(int index) const {
    switch (index) {
    case 0: return deviceButton;
    case 1: return backupButton;
    case 2: return restoreButton;
    case 3: return applistButton;
    default: return nullptr;
    }
}

void MobrelToolsBarWidget::layoutChildren() {
    const int side = height() - scaled(15);
    for (int i = 0; i < kButtonCount; ++i) {
        MyPushButton* button = toolButton(i);
        button->setButtonGeometry(scaled(40) + i * (side + scaled(40)), scaled(8), side, side);
        button->iconLabel()->setGeometry(scaled(10), 0, side - scaled(20), side - scaled(20));
        button->captionLabel()->setGeometry(0, side - scaled(20), side, scaled(20));
    }
}

void MobrelToolsBarWidget::loadImages() {
    const QPixmap sprite(QStringLiteral(":/images/tools.png"));
    for (int i = 0; i < kButtonCount; ++i) {
        toolButton(i)->setSpriteCells(sprite, kSpriteColumns[i], 70, 70, 5, 74, 5, 145);
        toolButton(i)->setLayoutMode(5);
    }
}

void MobrelToolsBarWidget::setLanguageTexts() {
    const QString captions[kButtonCount] = {tr("Device"), tr("Backup"), tr("Restore"), tr("Tools")};
    for (int i = 0; i < kButtonCount; ++i) {
        MyPushButton* button = toolButton(i);
        button->setButtonText(captions[i]);
        button->setButtonAlignment(Qt::AlignCenter);
        button->setButtonStyles(captionStyle("#333333"), captionStyle("#888888"));
        button->setButtonEnabled(button->isButtonEnabled());  // applies the style of its state
    }
}

void MobrelToolsBarWidget::setToolButtonEnabled(bool on, int index) {
    // The button's styles carry the caption colour of either state.
    if (MyPushButton* button = toolButton(index)) button->setButtonEnabled(on);
}

void MobrelToolsBarWidget::deviceButton_slots() { mainWindow()->showDevicePage(); }

void MobrelToolsBarWidget::backupButton_slots() { mainWindow()->showBackupPage(); }

void MobrelToolsBarWidget::restoreButton_slots() { mainWindow()->showRestorePage(); }

void MobrelToolsBarWidget::applistButton_slots() { mainWindow()->showToolsPage(); }
