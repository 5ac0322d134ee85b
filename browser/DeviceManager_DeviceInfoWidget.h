// The device panel of the data browser: the connected phone's name, model,
// Android version, serial number, free memory and storage, one line each. It
// also keeps the brand and model that name the device elsewhere.
#pragma once

#include <QString>
#include <QWidget>

#include "mobrelclient.h"

class QLabel;

class DeviceManager_DeviceInfoWidget : public QWidget {
    Q_OBJECT

public:
    explicit DeviceManager_DeviceInfoWidget(QWidget* parent);

    // The build passes. The view shows no pictures, so loadImages has nothing to load.
    void layoutChildren();
    void loadImages() {}
    void setLanguageTexts();

    // Reads the phone's information from the library and rewrites every line.
    void refreshDeviceInfo();
    // Rewrites every line from a record (what refreshDeviceInfo does with the library's).
    void showInfo(const MobrelDeviceInfo& info);

    // Brand and model of the last refresh, without line ends; empty before the first.
    QString deviceBrand() const { return m_deviceBrand; }
    QString deviceModel() const { return m_deviceModel; }

private:
    enum Line {
        NameLine,
        TypeLine,
        VersionLine,
        NumberLine,
        BatteryLine,
        MemoryCapacityLine,
        AvailableMemoryLine,
        PhoneStorageLine,
        SdCardLine,
        LineCount
    };
    static bool isShown(int line);
    QString caption(int line) const;
    void writeLines();

    QLabel* lines[LineCount];
    QString values[LineCount];
    QString m_deviceBrand;
    QString m_deviceModel;
};
