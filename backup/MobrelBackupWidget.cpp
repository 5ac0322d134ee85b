#include "MobrelBackupWidget.h"

#include "BackupItemWidget.h"
#include "ExportingView.h"
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "backuplist.h"
#include "base/paths.h"
#include "base/runfolder.h"
#include "base/settings.h"
#include "base/uiscale.h"
#include "mobrelclient.h"
#include "transferlayout.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>

namespace {

std::array<int, kCategoryCount> libraryCounts() {
    return {MobrelApi_GetPersonCount(),       MobrelApi_GetSMSCount(),   MobrelApi_GetCallHistoryCount(),
            MobrelApi_GetPhotoCount(),        MobrelApi_GetVideoCount(), MobrelApi_GetMusicCount()};
}

}  // namespace

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
    connect(backupButton, &MyPushButton::clicked, this, &MobrelBackupWidget::backupButton_slots);
    connect(&backupWorker, &QThread::finished, this, &MobrelBackupWidget::backupDataThread_Finished);
    progressTimer.setInterval(kProgressTickMs);
    connect(&progressTimer, &QTimer::timeout, this, &MobrelBackupWidget::tTimer1_slots);
    for (BackupItemWidget* entry : categoryItems) entry->setChecked(true);
    outputPathLabel->setText(folderSetting(QLatin1String(kSavePathKey)));
    setSourceDevice(false, QString());
}

MobrelBackupWidget::~MobrelBackupWidget() {
    backupWorker.stopRequested = true;
    backupWorker.wait();
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

void MobrelBackupWidget::setSourceDevice(bool connected, const QString& deviceName,
                                         const QString& brand, const QString& model) {
    sourceConnected = connected;
    deviceBrand = brand;
    deviceModel = model;
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
    const std::array<int, kCategoryCount> counts = libraryCounts();
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

void MobrelBackupWidget::backupButton_slots() {
    pendingExportView = nullptr;
    if (backupWorker.isRunning()) return;
    const std::array<int, kCategoryCount> counts = libraryCounts();
    for (int type = 0; type < kCategoryCount; ++type)
        backupWorker.totalCount[type] = static_cast<quint32>(qMax(0, counts[type]));
    if (chooseTickedEntries(categoryItems, backupWorker.categoryState, backupWorker.doneCount) == 0) {
        askUser(tr("Tolvane") + QLatin1Char(' ') + tr("Mobrel"), tr("Please select an item to backup."), false);
        showCheckBoxes(categoryItems);
        refreshCounts();
        return;
    }
    startRun(true);
    progressTimer.start();
    backupButton->setButtonEnabled(false);
    outputPathButton->setButtonEnabled(false);
    emit navigationEnabled(false);
}

bool MobrelBackupWidget::startExport(int itemType, ExportingView* view) {
    if (backupWorker.isRunning() || itemType < 0 || itemType >= kCategoryCount) return false;
    pendingExportView = view;
    clearCategoryProgress(backupWorker.categoryState, backupWorker.doneCount);
    backupWorker.categoryState[itemType] = BackupDataThread::kChosen;
    startRun(false);
    return true;
}

void MobrelBackupWidget::stopWorker() { backupWorker.stopRequested = true; }

void MobrelBackupWidget::startRun(bool backupMode) {
    const RunFolder run = createOutputFolder(deviceBrand, deviceModel);
    backupWorker.runFolder = run.folder;
    backupWorker.runName = run.name;
    backupWorker.backupMode = backupMode;
    backupWorker.start();
}

void MobrelBackupWidget::tTimer1_slots() {
    if (!updateLock.tryLockForWrite()) return;
    showCategoryProgress(categoryItems, categoryNames, backupWorker.categoryState, backupWorker.doneCount,
                         backupWorker.totalCount);
    updateLock.unlock();
}

void MobrelBackupWidget::backupDataThread_Finished() {
    emit navigationEnabled(true);
    backupButton->setButtonEnabled(sourceConnected);  // the phone may have gone meanwhile
    outputPathButton->setButtonEnabled(true);
    progressTimer.stop();
    showCheckBoxes(categoryItems);
    for (BackupItemWidget* entry : categoryItems) entry->setItemEnabled(true);
    refreshCounts();
    if (pendingExportView) {
        pendingExportView->endBusyState();
        pendingExportView = nullptr;
    }
    if (backupWorker.stopRequested) {
        removeRunFolder();
        return;
    }
    if (!backupWorker.runFilesWritten) {
        // A full disk or a folder that cannot be written: nothing of the run
        // could be restored, so it is neither listed nor left behind.
        removeRunFolder();
        askUser(tr("Backup failed"),
                tr("The backup could not be saved in the output folder %1. Please check that the folder can be "
                   "written and that the disk has room.")
                    .arg(QDir::toNativeSeparators(folderSetting(QLatin1String(kSavePathKey)))),
                false);
        return;
    }
    recordRun();
    const QStringList incomplete = incompleteCategories();
    const bool open =
        incomplete.isEmpty()
            ? askUser(tr("Backup finished"),
                      tr("The backup process is finished. Do you want to open the output folder now?"), true)
            : askUser(tr("Backup incomplete"),
                      tr("The backup process is finished, but these categories could not be saved "
                         "completely: %1. Do you want to open the output folder now?")
                          .arg(incomplete.join(QStringLiteral(", "))),
                      true);
    if (open) QDesktopServices::openUrl(QUrl::fromLocalFile(backupWorker.runFolder));
    emit backupListChanged();
}

void MobrelBackupWidget::removeRunFolder() {
    // Never the output folder itself: only a run folder this run made.
    if (!backupWorker.runName.isEmpty() && QFileInfo(backupWorker.runFolder).isDir())
        QDir(backupWorker.runFolder).removeRecursively();
}

void MobrelBackupWidget::recordRun() { recordBackupRun(backupListFile(), backupWorker.runName, backupWorker.runFolder); }

QStringList MobrelBackupWidget::incompleteCategories() const {
    QStringList names;
    for (int type = 0; type < kCategoryCount; ++type) {
        if (backupWorker.categoryState[type] != BackupDataThread::kNotChosen && !backupWorker.categoryComplete[type])
            names << categoryNames.value(type);
    }
    return names;
}

bool MobrelBackupWidget::askUser(const QString& title, const QString& text, bool withCancel) {
    return MyMessageBoxWidget::ask(window(), title, text, 2, withCancel ? 1 : 2, withCancel ? 1 : 0);
}
