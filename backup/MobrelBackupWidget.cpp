#include "MobrelBackupWidget.h"

#include "BackupItemWidget.h"
#include "MyPushButton.h"
#include "base/settings.h"
#include "base/uiscale.h"
#include "mobrelclient.h"
#include "transferlayout.h"

#include <QFileDialog>
#include <QLabel>

MobrelBackupWidget::MobrelBackupWidget(QWidget* parent)
    : QWidget(parent),
      sourcePanel(makePanel(this)),
      destinationPanel(makePanel(this)),
      computerPicture(new QLabel(destinationPanel)),
      noPhonePicture(new QLabel(sourcePanel)),
      sourceLabel(new QLabel(sourcePanel)),
      sourceLine(makeHeadingLine(sourcePanel)),
      destinationLabel(new QLabel(destinationPanel)),
      destinationLine(makeHeadingLine(destinationPanel)),
      outputPathLabel(new QLabel(destinationPanel)),
      outputPathButton(new MyPushButton(destinationPanel)),
      entriesContainer(new QWidget(sourcePanel)),
      categoryItems(makeCategoryEntries(entriesContainer)),
      backupButton(new MyPushButton(this)) {
    noPhonePicture->setObjectName(QStringLiteral("noPhonePicture"));
    // The device name comes from the phone: shown as text, never as markup.
    sourceLabel->setTextFormat(Qt::PlainText);
    outputPathLabel->setTextFormat(Qt::PlainText);
    outputPathLabel->setWordWrap(true);
    outputPathLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(outputPathButton, &MyPushButton::clicked, this,
            &MobrelBackupWidget::outpathButton_slots);
    for (BackupItemWidget* entry : categoryItems) entry->setChecked(true);
    outputPathLabel->setText(folderSetting(QLatin1String(kSavePathKey)));
    setSourceDevice(false, QString());
}

void MobrelBackupWidget::layoutChildren() {
    const TransferLayout layout = transferLayout(size());
    sourcePanel->setGeometry(layout.leftPanel);
    destinationPanel->setGeometry(layout.rightPanel);
    backupButton->setButtonGeometry(layout.actionButton.x(), layout.actionButton.y(),
                                    layout.actionButton.width(), layout.actionButton.height());

    for (QLabel* panel : {sourcePanel, destinationPanel}) {
        QLabel* label = panel == sourcePanel ? sourceLabel : destinationLabel;
        label->setGeometry(scaled(30), scaled(10), panel->width() - scaled(30), scaled(40));
        placeHeadingLine(panel == sourcePanel ? sourceLine : destinationLine, panel);
    }
    placeCategoryEntries(entriesContainer, categoryItems, sourcePanel);
    centreInPanel(noPhonePicture, sourcePanel, 180, 336);

    const int pw = destinationPanel->width();
    const int ph = destinationPanel->height();
    centreInPanel(computerPicture, destinationPanel, 167, 130);
    outputPathLabel->setGeometry(scaled(20), ph - scaled(50), pw - scaled(60), scaled(38));
    outputPathButton->setButtonGeometry(pw - scaled(30), ph - scaled(45), scaled(20), scaled(20));
}

void MobrelBackupWidget::loadImages() {
    showScaledPicture(sourcePanel, QStringLiteral(":/images/frame1.png"));
    showScaledPicture(destinationPanel, QStringLiteral(":/images/frame1.png"));
    showScaledPicture(computerPicture, QStringLiteral(":/images/pc.png"));
    showScaledPicture(noPhonePicture, QStringLiteral(":/images/phone3.png"));
    outputPathButton->setStateImages(
        QStringLiteral(":/images/set1.png"), QStringLiteral(":/images/set2.png"),
        QStringLiteral(":/images/set1.png"), QStringLiteral(":/images/set1.png"));
    loadActionButtonImages(backupButton);
}

void MobrelBackupWidget::setLanguageTexts() {
    setActionButtonText(backupButton, tr("Backup"));
    sourceLabel->setStyleSheet(labelStyle("#333333", scaled(16)));
    destinationLabel->setStyleSheet(labelStyle("#333333", scaled(16)));
    outputPathLabel->setStyleSheet(labelStyle("#999999", scaled(12)));
    outputPathButton->setToolTip(tr("Select Output Folder"));
    categoryNames = ::categoryNames();
    refreshCounts();
}

void MobrelBackupWidget::setSourceDevice(bool connected, const QString& deviceName) {
    sourceLabel->setText(tr("Source: ") + tr("Device"));
    destinationLabel->setText(tr("Destination: ") + tr("Computer"));
    noPhonePicture->setVisible(!connected);
    for (BackupItemWidget* entry : categoryItems) entry->setVisible(connected);
    sourceLabel->setVisible(connected);
    sourceLine->setVisible(connected);
    backupButton->setButtonEnabled(connected);
    if (!deviceName.isEmpty()) sourceLabel->setText(tr("Source: ") + deviceName);
    refreshCounts();
}

void MobrelBackupWidget::refreshCounts() {
    if (categoryNames.isEmpty()) return;
    const int counts[kCategoryCount] = {MobrelApi_GetPersonCount(),  MobrelApi_GetSMSCount(),
                                        MobrelApi_GetCallHistoryCount(), MobrelApi_GetPhotoCount(),
                                        MobrelApi_GetVideoCount(),   MobrelApi_GetMusicCount()};
    for (int i = 0; i < kCategoryCount; ++i) {
        categoryItems[i]->setItemText(categoryText(categoryNames[i], counts[i]));
        categoryItems[i]->setItemEnabled(counts[i] > 0);
    }
}

void MobrelBackupWidget::outpathButton_slots() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Select Output Folder"), folderSetting(QLatin1String(kSavePathKey)),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty()) return;
    setFolderSetting(QLatin1String(kSavePathKey), folder);
    outputPathLabel->setText(folder);
}
