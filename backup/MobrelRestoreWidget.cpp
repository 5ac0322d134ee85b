#include "MobrelRestoreWidget.h"

#include "BackupItemWidget.h"
#include "MyPushButton.h"
#include "base/uiscale.h"
#include "transferlayout.h"

#include <QComboBox>
#include <QLabel>

MobrelRestoreWidget::MobrelRestoreWidget(QWidget* parent)
    : QWidget(parent),
      sourcePanel(makePanel(this)),
      destinationPanel(makePanel(this)),
      phonePicture(new QLabel(destinationPanel)),
      noPhonePicture(new QLabel(destinationPanel)),
      destinationLabel(new QLabel(destinationPanel)),
      destinationLine(makeHeadingLine(destinationPanel)),
      sourceLine(makeHeadingLine(sourcePanel)),
      backupListComboBox(new QComboBox(sourcePanel)),
      backupTimeLabel(new QLabel(sourcePanel)),
      entriesContainer(new QWidget(sourcePanel)),
      categoryItems(makeCategoryEntries(entriesContainer)),
      restoreButton(new MyPushButton(this)) {
    noPhonePicture->setObjectName(QStringLiteral("noPhonePicture"));
    destinationLabel->setTextFormat(Qt::PlainText);  // the phone's own name
    backupTimeLabel->setTextFormat(Qt::PlainText);
    setDestinationDevice(false, QString());
}

void MobrelRestoreWidget::layoutChildren() {
    const TransferLayout layout = transferLayout(size());
    sourcePanel->setGeometry(layout.leftPanel);
    destinationPanel->setGeometry(layout.rightPanel);
    restoreButton->setButtonGeometry(layout.actionButton.x(), layout.actionButton.y(),
                                     layout.actionButton.width(), layout.actionButton.height());

    const int pw = sourcePanel->width();
    const int ph = sourcePanel->height();
    backupListComboBox->setGeometry(scaled(25), scaled(10), pw - scaled(50), scaled(38));
    placeHeadingLine(sourceLine, sourcePanel);
    placeCategoryEntries(entriesContainer, categoryItems, sourcePanel);
    backupTimeLabel->setGeometry(scaled(35), ph - scaled(35), pw - scaled(70), scaled(20));

    destinationLabel->setGeometry(scaled(30), scaled(10), destinationPanel->width() - scaled(30),
                                  scaled(40));
    placeHeadingLine(destinationLine, destinationPanel);
    centreInPanel(phonePicture, destinationPanel, 160, 280);
    centreInPanel(noPhonePicture, destinationPanel, 180, 336);
}

void MobrelRestoreWidget::loadImages() {
    showScaledPicture(sourcePanel, QStringLiteral(":/images/frame1.png"));
    showScaledPicture(destinationPanel, QStringLiteral(":/images/frame1.png"));
    showScaledPicture(phonePicture, QStringLiteral(":/images/phone2.png"));
    showScaledPicture(noPhonePicture, QStringLiteral(":/images/phone3.png"));
    loadActionButtonImages(restoreButton);
}

void MobrelRestoreWidget::setLanguageTexts() {
    setActionButtonText(restoreButton, tr("Restore"));
    destinationLabel->setStyleSheet(labelStyle("#333333", scaled(16)));
    backupTimeLabel->setStyleSheet(labelStyle("#b9b8b8", scaled(12)));
    backupListComboBox->setStyleSheet(
        QStringLiteral("QComboBox{border:1px solid rgb(200, 200, 200);color:#333333;font:%1px;"
                       "height:40px;} QComboBox QAbstractItemView::item {color:#949494; font:%1px;} "
                       "\t\tQComboBox::down-arrow{image:url(:/images/arrowDown.png);} "
                       "\t\tQComboBox::drop-down{width:20px; border-left:1px solid rgb(200, 200, "
                       "200);}")
            .arg(scaled(12)));
    backupListComboBox->setPlaceholderText(tr("No backup yet"));
    // Until a backup is chosen every category holds nothing to restore.
    categoryNames = ::categoryNames();
    for (int i = 0; i < kCategoryCount; ++i) {
        categoryItems[i]->setItemText(categoryText(categoryNames[i], 0));
        categoryItems[i]->setItemEnabled(false);
    }
}

void MobrelRestoreWidget::setDestinationDevice(bool connected, const QString& deviceName) {
    destinationLabel->setText(QStringLiteral("Destination: Android"));
    noPhonePicture->setVisible(!connected);
    phonePicture->setVisible(connected);
    destinationLabel->setVisible(connected);
    destinationLine->setVisible(connected);
    restoreButton->setButtonEnabled(connected);
    if (!deviceName.isEmpty()) destinationLabel->setText(deviceName);
}
