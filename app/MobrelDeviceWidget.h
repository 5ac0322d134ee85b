// The device page: the connection screen until a phone is ready, then the
// data browser. Both fill the page; one is visible at a time.
#pragma once

#include <QWidget>

class DeviceConnectedWidget;
class DeviceManagerWidget;

class MobrelDeviceWidget : public QWidget {
    Q_OBJECT

public:
    explicit MobrelDeviceWidget(QWidget* parent = nullptr);

    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // The connection screen while no phone is connected, else the data browser.
    void chooseVisibleChild();

    DeviceConnectedWidget* connectionScreen() const { return m_connectionScreen; }
    DeviceManagerWidget* dataBrowser() const { return m_dataBrowser; }

private:
    DeviceConnectedWidget* m_connectionScreen;
    DeviceManagerWidget* m_dataBrowser;
};
