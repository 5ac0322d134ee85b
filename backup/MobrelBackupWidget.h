// The backup screen: the phone as the source with its six categories, the
// computer as the destination with the output folder, and the "Backup" button.
#pragma once

#include <QList>
#include <QReadWriteLock>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "BackupDataThread.h"

class BackupItemWidget;
class ExportingView;
class MyPushButton;
class QLabel;

class MobrelBackupWidget : public QWidget {
    Q_OBJECT

public:
    explicit MobrelBackupWidget(QWidget* parent = nullptr);
    ~MobrelBackupWidget() override;

    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // Each entry shows its category's record count and is enabled when it has
    // records. Called when the page is shown and when the source changes.
    void refreshCounts();

    // Without a phone: the no-phone picture, no entries, the button disabled.
    // deviceName, when not empty, names the source; brand and model name the
    // folders of its runs.
    void setSourceDevice(bool connected, const QString& deviceName, const QString& brand = QString(),
                         const QString& model = QString());

    // The export entry of the data views: writes the ticked records or items of
    // one category into a new run folder. view->endBusyState() is called when
    // the run ends. False (nothing started) while a run is in progress.
    bool startExport(int itemType, ExportingView* view);
    // Asks the running export or backup to stop; its folder is then deleted.
    void stopWorker();

    // The views read the export's progress here.
    BackupDataThread* worker() { return &backupWorker; }

    BackupItemWidget* categoryItem(int itemType) const { return categoryItems.value(itemType); }
    MyPushButton* actionButton() const { return backupButton; }
    MyPushButton* outputFolderButton() const { return outputPathButton; }

signals:
    // Off while a backup runs: the main window's tool bar follows it.
    void navigationEnabled(bool on);
    // A run was entered into the backup list file.
    void backupListChanged();

public slots:
    void backupButton_slots();
    void backupDataThread_Finished();
    void tTimer1_slots();
    void outpathButton_slots();

private:
    // Makes the run folder and starts the worker on it.
    void startRun(bool backupMode);
    void recordRun();
    void removeRunFolder();
    // The names of the categories the run did not save whole.
    QStringList incompleteCategories() const;
    // true when the left button was chosen.
    bool askUser(const QString& title, const QString& text, bool withCancel);

    BackupDataThread backupWorker;
    QTimer progressTimer;
    QReadWriteLock updateLock;
    QStringList categoryNames;
    ExportingView* pendingExportView = nullptr;
    bool sourceConnected = false;
    QString deviceBrand;
    QString deviceModel;
    QLabel* sourcePanel;
    QLabel* destinationPanel;
    QLabel* computerPicture;
    QLabel* noPhonePicture;
    QLabel* sourceLabel;
    QLabel* sourceLine;
    QLabel* destinationLabel;
    QLabel* destinationLine;
    QLabel* outputPathLabel;
    MyPushButton* outputPathButton;
    QWidget* entriesContainer;
    QList<BackupItemWidget*> categoryItems;
    MyPushButton* backupButton;
};
