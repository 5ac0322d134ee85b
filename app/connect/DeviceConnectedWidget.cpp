#include "DeviceConnectedWidget.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>

#include "CheckDeviceDetectedThread.h"
#include "GetDeviceCountThread.h"
#include "MyLabel.h"
#include "MyLinkPushButton.h"
#include "MyPushButton.h"
#include "ReadyScanThread.h"
#include "base/uiscale.h"

namespace {

const char* const titleColour = "#005b97";
const char* const highlightColour = "#227fbd";
const char* const bodyColour = "#484848";
const char* const noteColour = "#474747";

// One run of rich text: an italic element set back to normal style.
QString textRun(const QString& text, const char* colour, int basePx, bool bold = false) {
    QString style = QStringLiteral("color:") + QLatin1String(colour) + ";font-size:" +
                    QString::number(scaled(basePx)) + "px;font-style:normal;";
    if (bold) style += "font-weight:bold;";
    return "<i style=\"" + style + "\">" + text.toHtmlEscaped() + "</i>";
}

QString title(const QString& text) { return textRun(text, titleColour, 28, true); }

QString linkText(const QString& text, const char* colour) {
    return QStringLiteral("<i style=\"color:") + QLatin1String(colour) + ";font-size:" +
           QString::number(scaled(14)) + "px;text-decoration:underline;\">" + text.toHtmlEscaped() +
           "</i>";
}

void place(QWidget* widget, int x, int y, int width, int height) {
    widget->setGeometry(scaled(x), scaled(y), width, height);
}

}  // namespace

DeviceConnectedWidget::DeviceConnectedWidget(QWidget* parent)
    : QWidget(parent),
      countThread(new GetDeviceCountThread(this)),
      detectThread(new CheckDeviceDetectedThread(this)),
      readyThread(new ReadyScanThread(this)),
      connectPage(new QWidget(this)),
      connectImage(makeImageLabel(connectPage, "connectImage")),
      connectLabel(makeRichLabel(connectPage, "connectLabel")),
      identifyPage(new QWidget(this)),
      usbDebugImage(makeImageLabel(identifyPage, "usbDebugImage")),
      usbDebugLabel(makeRichLabel(identifyPage, "usbDebugLabel")),
      authoriseImage(makeImageLabel(identifyPage, "authoriseImage")),
      authoriseLabel(makeRichLabel(identifyPage, "authoriseLabel")),
      nextButton(new MyPushButton(identifyPage)),
      notFoundButton(new MyLinkPushButton(identifyPage)),
      connectingPage(new QWidget(this)),
      connectingImage(makeImageLabel(connectingPage, "connectingImage")),
      connectingLabel(makeRichLabel(connectingPage, "connectingLabel")),
      progressBar(new QProgressBar(connectingPage)),
      tickTimer(new QTimer(this)) {
    // Names for finding the parts in tests and style sheets.
    connectPage->setObjectName("connectPage");
    identifyPage->setObjectName("identifyPage");
    connectingPage->setObjectName("connectingPage");
    nextButton->setObjectName("nextButton");
    notFoundButton->setObjectName("notFoundButton");
    progressBar->setObjectName("progressBar");

    nextButton->setLayoutMode(6);
    nextButton->setButtonAlignment(Qt::AlignCenter);
    nextButton->hide();
    connectingLabel->setAlignment(Qt::AlignCenter);
    progressBar->setRange(0, 10000);
    progressBar->setTextVisible(false);

    connect(readyThread, &QThread::finished, this,
            &DeviceConnectedWidget::m_ReadyScanThread_Finished);
    connect(detectThread, &QThread::finished, this,
            &DeviceConnectedWidget::m_CheckDeviceDetectedThread_Finished);
    connect(tickTimer, &QTimer::timeout, this, &DeviceConnectedWidget::m_Timer1_slots);

    countThread->start(QThread::InheritPriority);
    tickTimer->start(500);
    showPage(connectPage);
}

DeviceConnectedWidget::~DeviceConnectedWidget() {
    // Nothing else stops the presence polling; detection and bring-up cannot
    // be cut short, so closing waits for a run in progress to end.
    tickTimer->stop();
    countThread->requestStop();
    countThread->wait();
    detectThread->wait();
    readyThread->wait();
}

QLabel* DeviceConnectedWidget::makeRichLabel(QWidget* page, const char* name) {
    auto* label = new QLabel(page);
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* DeviceConnectedWidget::makeImageLabel(QWidget* page, const char* name) {
    auto* label = new QLabel(page);
    label->setObjectName(name);
    label->setScaledContents(true);  // the picture always fills its label
    return label;
}

void DeviceConnectedWidget::layoutChildren() {
    const int w = width();
    const int textWidth = qMax(0, w - scaled(500));
    for (QWidget* page : {connectPage, identifyPage, connectingPage}) {
        page->setGeometry(0, scaled(40), w, qMax(0, height() - scaled(40)));
    }
    place(connectImage, 100, 30, scaled(204), scaled(381));
    place(connectLabel, 400, 50, textWidth, scaled(400));
    place(usbDebugImage, 100, 30, scaled(172), scaled(296));
    place(usbDebugLabel, 400, 40, textWidth, scaled(200));
    place(authoriseImage, 100, 30, scaled(182), scaled(296));
    place(authoriseLabel, 400, 40, textWidth, scaled(200));
    place(notFoundButton, 400, 260, scaled(250), scaled(30));
    nextButton->setButtonGeometry(w - scaled(280), scaled(360), scaled(180), scaled(39));
    nextButton->captionLabel()->setGeometry(nextButton->rect());
    place(connectingImage, 100, 40, scaled(204), scaled(381));
    place(connectingLabel, 400, 40, textWidth, scaled(150));
    place(progressBar, 400, 300, textWidth, scaled(10));
}

void DeviceConnectedWidget::loadImages() {
    connectImage->setPixmap(QPixmap(":/images/phone3.png"));
    usbDebugImage->setPixmap(QPixmap(":/images/openusb1.png"));
    authoriseImage->setPixmap(QPixmap(":/images/openusb2.png"));
    connectingImage->setPixmap(QPixmap(":/images/phone2.png"));
    nextButton->setSpriteCells(QPixmap(":/images/userdo.png"), 0, 90, 28, 0, 30, 60, 90);
}

void DeviceConnectedWidget::setLanguageTexts() {
    connectLabel->setText(
        title(tr("Connect android device to PC")) + "<br><br>" +
        textRun(tr("Please connect your android device to PC via USB. During the process, Don't "
                   "start any other android device management software."),
                noteColour, 16) +
        "<br><br><br><br><br>" +
        textRun(tr("Note: Unable to recognize your device, Please check your USB connection, and "
                   "keep the device turned on, or re-connect your device."),
                noteColour, 14));

    const QString identifyTitle = title(tr("Identify your android device")) + "<br><br><br>";
    usbDebugLabel->setText(
        identifyTitle + textRun(tr("1. Please turn on "), bodyColour, 16) +
        textRun(tr("USB debugging"), highlightColour, 16) +
        textRun(tr(" on your android device."), bodyColour, 16) + "<br>" +
        textRun(tr("2. Click "), bodyColour, 16) + textRun("\"" + tr("OK") + "\"", highlightColour, 16) +
        textRun(tr(" to allow USB debugging on the screen of your device."), bodyColour, 16) + "<br>" +
        textRun(tr(" Nots: If connection fails, please disconnect your device and reconnect again."),
                bodyColour, 16));
    authoriseLabel->setText(
        identifyTitle + textRun(tr("If the "), bodyColour, 16) +
        textRun(tr(" android OS version is 4.2.2 or above "), highlightColour, 16) +
        textRun(tr(", Please authorize your PC via your android phone. "), bodyColour, 16));

    const QString notFound = tr("USB debug setting not found");
    notFoundButton->setLinkTexts(linkText(notFound, "#4d7cf2"), linkText(notFound, "#ff000c"),
                                 linkText(notFound, "#4d7cf2"));
    nextButton->setButtonText(tr("Opened? Next..."));
    nextButton->captionLabel()->setStyleSheet(
        QString("QLabel { color: #FFFFFF;font:%1px;font-family:\"Lato\";}").arg(scaled(16)));

    connectingLabel->setText(
        title(tr("Connecting and analyzing device")) + "<br><br>" +
        textRun(tr("Please do not disconnect you android device during the operations. "), bodyColour, 16));
    progressBar->setStyleSheet(
        QString("QProgressBar {background-color: #f8f8f8;border: 1px solid #a1a1a1;border-radius: "
                "5px;}QProgressBar::chunk {background-color: #64c7eb;width: %1px;}")
            .arg(scaled(10)));
}

void DeviceConnectedWidget::showPage(QWidget* page) {
    for (QWidget* each : {connectPage, identifyPage, connectingPage}) each->setVisible(each == page);
}

void DeviceConnectedWidget::showIdentifyPage(bool authorising) {
    showPage(identifyPage);
    usbDebugImage->setVisible(!authorising);
    usbDebugLabel->setVisible(!authorising);
    authoriseImage->setVisible(authorising);
    authoriseLabel->setVisible(authorising);
    nextButton->hide();
    notFoundButton->show();
}

void DeviceConnectedWidget::startDetection() {
    if (!mayStartDetection || !bringUpIdle || connected || detectThread->isRunning() ||
        readyThread->isRunning()) {
        return;
    }
    mayStartDetection = false;
    showIdentifyPage(false);
    detectThread->start(QThread::InheritPriority);
}

void DeviceConnectedWidget::m_ReadyScanThread_Finished() {
    bringUpIdle = true;
    if (readyThread->result() != 0) {
        startDetection();
        return;
    }
    connected = true;
    emit deviceReady();
}

void DeviceConnectedWidget::m_CheckDeviceDetectedThread_Finished() {
    const int result = detectThread->result();
    if (result == 0) {
        bringUpIdle = false;
        showPage(connectingPage);
        progress = 0;
        progressBar->setValue(0);
        readyThread->start(QThread::InheritPriority);
    } else if (result != -1) {
        // Not authorised yet: keep asking while the user decides on the phone.
        showIdentifyPage(true);
        detectThread->start(QThread::InheritPriority);
    }
    mayStartDetection = true;
}

void DeviceConnectedWidget::m_Timer1_slots() {
    const int count = countThread->lastCount();
    if (count < 1) {
        // Only a check that ran and saw no phone counts as gone, not one that failed.
        if (connected && count == 0) {
            connected = false;
            emit deviceLost();
        }
        showPage(connectPage);
        return;
    }
    // Whether the page is shown, not whether it is on screen: the main window
    // may be showing another page meanwhile.
    if (connectingPage->isHidden()) {
        startDetection();
        return;
    }
    progress += progress < 5000 ? 100 : 10;
    progress = qMin(progress, 9999.0f);
    progressBar->setValue(static_cast<int>(progress));
}
