// The page shown until a phone is ready: it asks the user to plug the phone in
// and allow USB debugging, and drives the library's presence check, detection
// and bring-up on worker threads, tied together by a 500 ms tick.
#pragma once

#include <QWidget>

class CheckDeviceDetectedThread;
class GetDeviceCountThread;
class MyLinkPushButton;
class MyPushButton;
class QLabel;
class QProgressBar;
class QTimer;
class ReadyScanThread;

class DeviceConnectedWidget : public QWidget {
    Q_OBJECT

public:
    // Creates the pages, threads and timer and starts the presence polling and the tick.
    explicit DeviceConnectedWidget(QWidget* parent);
    // Stops the presence polling and waits for every worker to end.
    ~DeviceConnectedWidget() override;

    // The build passes after construction, in this order; layoutChildren again
    // whenever the widget's size changes.
    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // True from a successful bring-up until the phone is gone.
    bool isConnected() const { return connected; }

signals:
    // The bring-up succeeded: the phone is ready for the data browser.
    void deviceReady();
    // The ready phone is no longer seen; when a phone is seen again it is
    // detected and brought up afresh.
    void deviceLost();

private slots:
    void m_ReadyScanThread_Finished();
    void m_CheckDeviceDetectedThread_Finished();
    void m_Timer1_slots();

private:
    void startDetection();
    void showPage(QWidget* page);
    // The identify page with the USB-debugging or the authorisation picture and text.
    void showIdentifyPage(bool authorising);
    QLabel* makeRichLabel(QWidget* page, const char* name);
    QLabel* makeImageLabel(QWidget* page, const char* name);

    GetDeviceCountThread* countThread;
    CheckDeviceDetectedThread* detectThread;
    ReadyScanThread* readyThread;
    bool connected = false;
    bool mayStartDetection = true;
    bool bringUpIdle = true;
    float progress = 0;

    QWidget* connectPage;
    QLabel* connectImage;
    QLabel* connectLabel;

    QWidget* identifyPage;
    QLabel* usbDebugImage;
    QLabel* usbDebugLabel;
    QLabel* authoriseImage;
    QLabel* authoriseLabel;
    MyPushButton* nextButton;
    MyLinkPushButton* notFoundButton;

    QWidget* connectingPage;
    QLabel* connectingImage;
    QLabel* connectingLabel;
    QProgressBar* progressBar;

    QTimer* tickTimer;
};
