// The restore screen: a backup chosen from the list as the source with its six
// categories, the connected phone as the destination, and the "Restore" button.
// Its worker also adds the files the media views' "Add Data" dialogs choose.
#pragma once

#include <QList>
#include <QReadWriteLock>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>

#include "RestoreDataThread.h"

class BackupItemWidget;
class MyMessageBoxWidget;
class MyPushButton;
class QComboBox;
class QLabel;

class MobrelRestoreWidget : public QWidget {
    Q_OBJECT

public:
    explicit MobrelRestoreWidget(QWidget* parent = nullptr);
    // A running restore ends after its current record; closing never waits
    // for the user to answer the phone.
    ~MobrelRestoreWidget() override;

    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // Without a phone: the no-phone picture and no destination name; the
    // button is enabled exactly when a phone is connected. deviceName, when not
    // empty, is shown alone as the destination.
    void setDestinationDevice(bool connected, const QString& deviceName);

    // Reads the backup list file again; a file that cannot be read leaves the
    // list as it was.
    void reloadBackupList();

    // The "Add Data" entry of the media views: adds the local files to the
    // phone's photos, videos or music (itemType 3, 4, 5); importFinished is
    // emitted when they are in. False (nothing started) for an empty list,
    // another itemType, or while a restore or import runs.
    bool startImport(const QStringList& files, int itemType);
    // Asks the running restore or add to end after its current element.
    void stopWorker();

    // Tests shorten the worker's pacing here.
    RestoreDataThread* worker() { return &restoreWorker; }
    BackupItemWidget* categoryItem(int itemType) const { return categoryItems.value(itemType); }
    MyPushButton* actionButton() const { return restoreButton; }

signals:
    // Off while the worker runs: the main window's tool bar follows it.
    void navigationEnabled(bool on);
    // A restore from a backup ended: every category is to be fetched again.
    void restoreFinished();
    // An "Add Data" import ended: its category is to be fetched again.
    void importFinished(int itemType);

public slots:
    void restoreButton_slots();
    void backupListComboBox_slots();
    void restoreDataThread_Finished();
    void tTimer1_slots();

private:
    void startWorker();
    // Which categories of the last restore left something out, one line each.
    QString failureReport() const;
    void showMessage(const QString& title, const QString& text);

    QStringList backupPaths;
    QStringList backupNames;
    std::array<quint32, RestoreDataThread::kCategoryCount> backupCounts{};
    QStringList categoryNames;
    RestoreDataThread restoreWorker;
    QLabel* sourcePanel;
    QLabel* destinationPanel;
    QLabel* phonePicture;
    QLabel* noPhonePicture;
    QLabel* destinationLabel;
    QLabel* destinationLine;
    QLabel* sourceLine;
    QComboBox* backupListComboBox;
    QLabel* backupTimeLabel;
    QWidget* entriesContainer;
    QList<BackupItemWidget*> categoryItems;
    MyPushButton* restoreButton;
    MyMessageBoxWidget* smsPromptBox;
    QTimer progressTimer;
    QReadWriteLock updateLock;
    bool destinationConnected = false;
};
