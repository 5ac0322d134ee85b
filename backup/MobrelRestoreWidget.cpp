#include "MobrelRestoreWidget.h"

#include "BackupItemWidget.h"
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "backuplist.h"
#include "base/paths.h"
#include "base/uiscale.h"
#include "datareaders.h"
#include "transferlayout.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>

MobrelRestoreWidget::MobrelRestoreWidget(QWidget* parent)
    : QWidget(parent),
      categoryNames(::categoryNames()),
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
      restoreButton(new MyPushButton(this)),
      smsPromptBox(new MyMessageBoxWidget(this)) {
    noPhonePicture->setObjectName(QStringLiteral("noPhonePicture"));
    backupTimeLabel->setObjectName(QStringLiteral("backupTimeLabel"));
    smsPromptBox->setObjectName(QStringLiteral("smsPromptBox"));
    smsPromptBox->setModal(false);
    destinationLabel->setTextFormat(Qt::PlainText);  // the phone's own name
    backupTimeLabel->setTextFormat(Qt::PlainText);
    connect(restoreButton, &MyPushButton::clicked, this, &MobrelRestoreWidget::restoreButton_slots);
    connect(backupListComboBox, &QComboBox::currentIndexChanged, this,
            &MobrelRestoreWidget::backupListComboBox_slots);
    connect(&restoreWorker, &QThread::finished, this, &MobrelRestoreWidget::restoreDataThread_Finished);
    progressTimer.setInterval(kProgressTickMs);
    connect(&progressTimer, &QTimer::timeout, this, &MobrelRestoreWidget::tTimer1_slots);
    setDestinationDevice(false, QString());
    reloadBackupList();
}

void MobrelRestoreWidget::stopWorker() { restoreWorker.stopRequested = true; }

MobrelRestoreWidget::~MobrelRestoreWidget() {
    restoreWorker.stopRequested = true;
    restoreWorker.skipRequested = true;
    restoreWorker.wait();
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
    categoryNames = ::categoryNames();
    backupListComboBox_slots();
}

void MobrelRestoreWidget::setDestinationDevice(bool connected, const QString& deviceName) {
    destinationConnected = connected;
    destinationLabel->setText(QStringLiteral("Destination: Android"));
    noPhonePicture->setVisible(!connected);
    phonePicture->setVisible(connected);
    destinationLabel->setVisible(connected);
    destinationLine->setVisible(connected);
    restoreButton->setButtonEnabled(connected);
    if (!deviceName.isEmpty()) destinationLabel->setText(deviceName);
}

void MobrelRestoreWidget::reloadBackupList() {
    const std::optional<BackupList> list = readBackupList(backupListFile());
    if (!list) return;
    backupNames = list->names;
    backupPaths = list->paths;
    backupListComboBox->clear();
    for (const QString& name : backupNames)
        backupListComboBox->addItem(QIcon(QStringLiteral(":/images/arrowtest.png")), backupListLine(name));
    // With a placeholder text the first line is not chosen by itself.
    backupListComboBox->setCurrentIndex(0);
}

void MobrelRestoreWidget::backupListComboBox_slots() {
    // The entries show the run's progress until it ends.
    if (restoreWorker.isRunning()) return;
    // Without a chosen backup every category holds nothing to restore.
    const int index = backupListComboBox->currentIndex();
    backupCounts.fill(0);
    backupTimeLabel->clear();
    if (index >= 0 && index < backupNames.size()) {
        backupTimeLabel->setText(tr("Backup time:  ") + backupTimeText(backupNames[index]));
        backupCounts = readBackupInfoJs(backupPaths[index]).counts;
    }
    for (int type = 0; type < RestoreDataThread::kCategoryCount; ++type) {
        categoryItems[type]->setItemText(categoryText(categoryNames.value(type), backupCounts[type]));
        categoryItems[type]->setItemEnabled(backupCounts[type] > 0);
        categoryItems[type]->setChecked(false);
    }
}

void MobrelRestoreWidget::restoreButton_slots() {
    if (restoreWorker.isRunning()) return;
    const QString title = tr("Tolvane") + QLatin1Char(' ') + tr("Mobrel");
    if (backupNames.isEmpty()) {
        showMessage(title, tr("No item to restore. Please backup the device frist."));
        return;
    }
    const int index = backupListComboBox->currentIndex();
    if (index < 0 || index >= backupNames.size()) {
        showMessage(title, tr("Please select an item to restore."));
        return;
    }
    restoreWorker.runFolder = backupPaths[index];
    if (chooseTickedEntries(categoryItems, restoreWorker.categoryState, restoreWorker.doneCount) == 0) {
        showMessage(title, tr("Please select an item to restore."));
        showCheckBoxes(categoryItems);
        backupListComboBox_slots();
        return;
    }
    restoreWorker.totalCount = backupCounts;
    restoreWorker.sourceIsBackup = true;
    startWorker();
}

bool MobrelRestoreWidget::startImport(const QStringList& files, int itemType) {
    if (files.isEmpty() || itemType < 3 || itemType >= RestoreDataThread::kCategoryCount ||
        restoreWorker.isRunning())
        return false;
    clearCategoryProgress(restoreWorker.categoryState, restoreWorker.doneCount);
    restoreWorker.categoryState[itemType] = RestoreDataThread::kChosen;
    restoreWorker.importCategory = itemType;
    restoreWorker.importFiles = files;
    restoreWorker.sourceIsBackup = false;
    startWorker();
    return true;
}

void MobrelRestoreWidget::startWorker() {
    restoreWorker.stopRequested = false;  // a stop ends one run, not every later one
    restoreWorker.start();
    progressTimer.start();
    emit navigationEnabled(false);
    restoreButton->setButtonEnabled(false);
}

void MobrelRestoreWidget::tTimer1_slots() {
    if (!updateLock.tryLockForWrite()) return;
    showCategoryProgress(categoryItems, categoryNames, restoreWorker.categoryState, restoreWorker.doneCount,
                         restoreWorker.totalCount);
    if (restoreWorker.waitingForSmsApp) {
        // "Skip" is handed on once and the box stays away while the worker
        // gives up waiting; "OK" only closes it until the next tick.
        if (smsPromptBox->isAccepted()) {
            smsPromptBox->setAccepted(false);
            restoreWorker.skipRequested = true;
        } else if (!smsPromptBox->isVisible() && !restoreWorker.skipRequested) {
            smsPromptBox->setButtonTexts(tr("Skip"), tr("OK"), tr("Skip"), tr("OK"));
            smsPromptBox->setContent(tr("Restore SMS"),
                                     tr("Please click \"Yes\" on your android phone, or skip copying the SMS"), 2,
                                     1, 1);
            smsPromptBox->centerOver(window());
            smsPromptBox->show();
        }
    } else {
        smsPromptBox->hide();
    }
    updateLock.unlock();
}

void MobrelRestoreWidget::restoreDataThread_Finished() {
    emit navigationEnabled(true);
    restoreButton->setButtonEnabled(destinationConnected);  // the phone may have gone meanwhile
    progressTimer.stop();
    smsPromptBox->hide();
    smsPromptBox->setAccepted(false);
    showCheckBoxes(categoryItems);
    backupListComboBox_slots();

    if (!restoreWorker.sourceIsBackup) {
        const int itemType = restoreWorker.importCategory;
        emit importFinished(itemType);
        const quint32 failed = restoreWorker.outcome[itemType].failed;
        if (failed > 0) {
            showMessage(tr("Add Data"), tr("%1 of the %2 chosen files could not be added to the phone.")
                                            .arg(failed)
                                            .arg(restoreWorker.importFiles.size()));
        }
        return;
    }
    emit restoreFinished();
    if (restoreWorker.anythingFailed()) {
        showMessage(tr("Restore incomplete"), failureReport());
    } else {
        showMessage(tr("Restore finished"), tr("The restore process is finished."));
    }
}

QString MobrelRestoreWidget::failureReport() const {
    QString report = tr("Some data could not be restored:");
    for (int type = 0; type < RestoreDataThread::kCategoryCount; ++type) {
        const RestoreDataThread::Outcome& result = restoreWorker.outcome[type];
        if (result.unreadable) {
            report += QLatin1Char('\n') + categoryNames.value(type) + QStringLiteral(": ") + tr("could not be read");
        } else if (result.failed > 0) {
            report += QLatin1Char('\n') + categoryNames.value(type) + QStringLiteral(": ") +
                      tr("%1 of %2 not restored").arg(result.failed.load()).arg(result.attempted.load());
        }
    }
    return report;
}

void MobrelRestoreWidget::showMessage(const QString& title, const QString& text) {
    MyMessageBoxWidget::ask(window(), title, text, 2, 2, 0);
}
