// The data browser's frame: a column of entries on the left and a content
// area on the right that shows one panel at a time. Today the column holds the
// device entry and the content area the device information view.
#pragma once

#include <QWidget>

class BackupItemWidget;
class DeviceManager_DeviceInfoWidget;

class DeviceManagerWidget : public QWidget {
    Q_OBJECT

public:
    explicit DeviceManagerWidget(QWidget* parent);

    // The build passes after construction, in this order; layoutChildren again
    // whenever the widget's size changes.
    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    DeviceManager_DeviceInfoWidget* deviceInfoView() { return m_deviceInfoView; }
    // Reloads the phone's information and shows the device information view.
    void showDeviceInfo();
    // The device entry shows the phone's name (withCounts) or "Device".
    void updateItemCounts(bool withCounts);

private slots:
    void leftTypeWidgetClicked_slots(void* entry);

private:
    QString deviceName() const;

    QWidget* leftColumn;
    BackupItemWidget* deviceEntry;
    QWidget* contentArea;
    DeviceManager_DeviceInfoWidget* m_deviceInfoView;
};
