// The data browser's frame: a column of entries on the left (the device and
// the six categories with their counts) and a content area on the right that
// shows one of seven panels. It loads a category on FlushDataThread and
// deletes ticked records on DeleteDataThread, one job at a time.
#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class BackupItemWidget;
class DeleteDataThread;
class DeviceManager_BaseWidget;
class DeviceManager_DeviceInfoWidget;
class DeviceManager_FileBaseWidget;
class DeviceManager_PanelWidget;
class ExportingView;
class FlushDataThread;
class QTimer;

class DeviceManagerWidget : public QWidget {
    Q_OBJECT

public:
    static constexpr int categoryCount = 6;

    explicit DeviceManagerWidget(QWidget* parent);
    ~DeviceManagerWidget() override;

    // The build passes after construction, in this order; layoutChildren again
    // whenever the widget's size changes.
    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    DeviceManager_DeviceInfoWidget* deviceInfoView() { return m_deviceInfoView; }
    // The view of a category (itemType 0 to 5), else null.
    DeviceManager_PanelWidget* categoryView(int itemType) const;
    // Reloads the phone's information and shows the device information view alone.
    void showDeviceInfo();

    // The entries' texts: with counts, the phone's name and "Name (current/total)";
    // without, "Device" and the plain names.
    void updateItemCounts(bool withCounts);

    // Loads a category from the phone and shows its view; refused while a job runs.
    void startFlushData(int itemType);
    // Shows the category's view alone, emptied for a load or filled from the cache.
    void showItemView(int itemType, bool loading);
    // Deletes the records ticked in the category; view's busy state ends with the
    // job, and the category is loaded again. Refused (false) while a job runs.
    bool startDeleteData(int itemType, DeviceManager_PanelWidget* view);
    // The running deletion ends before its next record.
    void stopDeleteData();

    // The backup screen's export entry, which writes the ticked records of a
    // category and ends the view's busy state when done, and its stop entry.
    void setExportEntry(std::function<bool(int itemType, ExportingView* view)> start, std::function<void()> stop);
    // False when there is no entry or it refused (a run is in progress).
    bool startExport(int itemType, ExportingView* view);
    void stopExport();
    // The restore screen's entry that adds local files to the media of
    // itemType, and its stop entry; the category is loaded again when done.
    void setImportEntry(std::function<bool(const QStringList& files, int itemType)> start, std::function<void()> stop);
    // False when there is no entry or it refused (a run is in progress).
    bool startImport(const QStringList& files, int itemType);
    void stopImport();
    // Forgets every category, so that the next click loads it again.
    void resetAllItems();

    // A load or a deletion runs, or has ended and its end is not handled yet.
    bool isBusy() const;

signals:
    // The main window's "Backup" and "Restore" buttons: off while a job runs.
    void toolButtonsEnabled(bool on);

public slots:
    void leftTypeWidgetClicked_slots(void* entry);
    void flushDataThreadFinished();
    void deleteDataThreadFinished();
    void m_tTimer1_slots();

private:
    QString deviceName() const;
    void hidePanels();
    void startCountTimer();
    DeviceManager_BaseWidget* listView(int itemType) const;
    DeviceManager_FileBaseWidget* mediaView(int itemType) const;

    QWidget* leftColumn;
    BackupItemWidget* deviceEntry;
    BackupItemWidget* categoryEntries[categoryCount];
    QStringList categoryNames;
    QWidget* contentArea;
    DeviceManager_DeviceInfoWidget* m_deviceInfoView;
    DeviceManager_BaseWidget* listViews[3];         // contacts, messages, call history
    DeviceManager_FileBaseWidget* mediaViews[3];  // photos, videos, music
    FlushDataThread* flushThread;
    DeleteDataThread* deleteThread;
    DeviceManager_PanelWidget* pendingView = nullptr;  // the view whose deletion runs
    // A job started and its end not handled yet: a worker has ended some time
    // before its finished() reaches this thread, and until then the view is
    // not loaded and a new job would take the pending end for its own.
    bool jobPending = false;
    QTimer* countTimer;
    std::function<bool(int, ExportingView*)> exportStart;
    std::function<void()> exportStop;
    std::function<bool(const QStringList&, int)> importStart;
    std::function<void()> importStop;
};
