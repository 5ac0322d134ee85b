// The main window driven by the mouse without a phone: placement and scale, navigation, the
// backup screen, the device information lines, the tools page's adb check and the close button.
#include "MobrelBackupWidget.h"
#include "MobrelDeviceWidget.h"
#include "MobrelMainWidget.h"
#include "MobrelRestoreWidget.h"
#include "MobrelToolsBarWidget.h"
#include "MobrelToolsWidget.h"
#include "BackupItemWidget.h"
#include "DeviceConnectedWidget.h"
#include "DeviceManagerWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "MyLabel.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "appglobals.h"
#include "base/uiscale.h"
#include "gui_stall_meter.h"
#include "info_lines.h"
#include "mobrelclient.h"
#include "placement.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <memory>

namespace {

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

void writeScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString entryText(const DeviceManagerWidget& frame) {
    return frame.findChild<QWidget*>("deviceEntry")->findChild<QLabel*>("nameLabel")->text();
}

template <size_t N>
void put(char (&field)[N], const QByteArray& bytes) {
    std::memcpy(field, bytes.constData(), qMin(static_cast<size_t>(bytes.size()), N));
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        window = std::make_unique<MobrelMainWidget>();
        // The quiet update check must not reach the internet: a closed local port.
        window->updateCheckerObject()->service().setServer(QUrl(QStringLiteral("http://127.0.0.1:1")));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(mainWindow(), window.get());
    }
    void placementAndScale_data() {
        QTest::addColumn<double>("dpiX");
        QTest::addColumn<double>("dpiY");
        QTest::addColumn<QSize>("desktop");
        QTest::addColumn<QSize>("windowSize");
        QTest::addColumn<QPoint>("position");
        const QSize fullHd(1920, 1080);
        QTest::newRow("full HD, not centred") << 96.0 << 96.0 << fullHd << QSize(1024, 640) << QPoint(260, 30);
        QTest::newRow("smaller desktop") << 96.0 << 96.0 << QSize(800, 600) << QSize(1024, 640) << QPoint(112, 20);
        QTest::newRow("no desktop") << 96.0 << 96.0 << QSize(0, 0) << QSize(1024, 640) << QPoint(260, 30);
        QTest::newRow("below 96 stays 1") << 72.0 << 72.0 << fullHd << QSize(1024, 640) << QPoint(260, 30);
        QTest::newRow("no DPI") << 0.0 << 0.0 << fullHd << QSize(1024, 640) << QPoint(260, 30);
        QTest::newRow("smaller axis wins") << 144.0 << 120.0 << fullHd << QSize(1280, 800) << QPoint(260, 30);
        QTest::newRow("240 dpi stops at 1.8, truncated") << 240.0 << 240.0 << QSize(1920, 1200) << QSize(1843, 1152)
                                                         << QPoint(38, 24);
    }
    void placementAndScale() {
        QFETCH(double, dpiX);
        QFETCH(double, dpiY);
        QFETCH(QSize, desktop);
        const float saved = uiScale();
        setUiScale(scaleForDpi(dpiX, dpiY));
        const QSize size = mainWindowSize();
        setUiScale(saved);
        QTEST(size, "windowSize");
        QTEST(startPosition(desktop, size), "position");
    }
    void navigation() {
        QCOMPARE(visiblePage(), window->deviceWidget());
        QVERIFY(window->deviceWidget()->connectionScreen()->isVisible());
        MobrelToolsBarWidget* bar = window->toolsBar();
        const QList<QPair<int, QWidget*>> steps = {{1, window->backupWidget()},
                                                   {2, window->restoreWidget()},
                                                   {3, window->toolsWidget()},
                                                   {2, window->restoreWidget()},
                                                   {0, window->deviceWidget()}};
        for (const auto& [button, page] : steps) {
            click(bar->toolButton(button));
            QCOMPARE(visiblePage(), page);
        }
        QVERIFY(window->deviceWidget()->connectionScreen()->isVisible());

        window->setNavigationEnabled(false);
        for (int i = 0; i < 4; ++i) QVERIFY(!bar->toolButton(i)->isButtonEnabled());
        click(bar->toolButton(1));
        QCOMPARE(visiblePage(), window->deviceWidget());

        window->setNavigationEnabled(true);
        bar->setToolButtonEnabled(false, 2);
        bar->setToolButtonEnabled(false, 7);  // no such button: nothing happens
        for (int i = 0; i < 4; ++i) QCOMPARE(bar->toolButton(i)->isButtonEnabled(), i != 2);
        click(bar->toolButton(2));
        QCOMPARE(visiblePage(), window->deviceWidget());
        bar->setToolButtonEnabled(true, 2);
        click(bar->toolButton(2));
        QCOMPARE(visiblePage(), window->restoreWidget());
    }
    void backupWithoutPhone() {
        click(window->toolsBar()->toolButton(1));
        MobrelBackupWidget* backup = window->backupWidget();
        QCOMPARE(visiblePage(), backup);
        QVERIFY(backup->findChild<QLabel*>("noPhonePicture")->isVisible());
        for (int i = 0; i < 6; ++i) QVERIFY(!backup->categoryItem(i)->isVisible());
        QVERIFY(!backup->actionButton()->isButtonEnabled());
        QVERIFY(!backup->actionButton()->isEnabled());

        // A phone's name is shown as it is, not read as markup.
        backup->setSourceDevice(true, QStringLiteral("<b>Pixel</b>"));
        QVERIFY(!backup->findChild<QLabel*>("noPhonePicture")->isVisible());
        for (int i = 0; i < 6; ++i) QVERIFY(backup->categoryItem(i)->isVisible());
        QVERIFY(backup->actionButton()->isButtonEnabled());
        const QList<QLabel*> labels = backup->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
            return label->text() == "Source: <b>Pixel</b>" && label->isVisible() &&
                   label->textFormat() == Qt::PlainText;
        }));
        backup->setSourceDevice(false, QString());
        QVERIFY(!backup->actionButton()->isButtonEnabled());

        click(window->toolsBar()->toolButton(2));
        MobrelRestoreWidget* restore = window->restoreWidget();
        QVERIFY(restore->findChild<QLabel*>("noPhonePicture")->isVisible());
        QVERIFY(!restore->actionButton()->isButtonEnabled());
    }
    // The version, serial and memory lines are the same in every row: "4.4.2", "SER1", "1.50 M".
    void infoLines_data() {
        QTest::addColumn<QByteArray>("brand");
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<qint64>("phoneAvail");
        QTest::addColumn<qint64>("phoneTotal");
        QTest::addColumn<QStringList>("shown");  // brand, model and storage (free / total) as the lines show them

        QTest::newRow("markup stays text") << QByteArray("<b>x") << QByteArray("M<i>1</i>&amp;") << qint64(0) << qint64(0)
                                           << QStringList{"<b>x", "M<i>1</i>&amp;", "0 Bytes / 0 Bytes"};
        QTest::newRow("line ends removed") << QByteArray("sam\rsung\n") << QByteArray("SM-G900\r\n") << qint64(999)
                                           << qint64(1001) << QStringList{"samsung", "SM-G900", "999 Bytes / 1.00 KB"};
        QTest::newRow("utf-8 model") << QByteArray("b") << QByteArray("Caf\xc3\xa9") << qint64(0) << qint64(0)
                                     << QStringList{"b", "Caf\u00e9", "0 Bytes / 0 Bytes"};
        // The fields follow each other in the record: a full brand runs into the serial.
        QTest::newRow("brand fills its field") << QByteArray(128, 'A') << QByteArray(64, 'B') << qint64(0) << qint64(0)
                                               << QStringList{QString(128, 'A'), QString(64, 'B'), "0 Bytes / 0 Bytes"};
    }
    void infoLines() {
        QFETCH(QByteArray, brand);
        QFETCH(QByteArray, model);
        QFETCH(qint64, phoneAvail);
        QFETCH(qint64, phoneTotal);
        QFETCH(QStringList, shown);

        MobrelDeviceInfo info;
        std::memset(&info, 0, sizeof info);
        put(info.brand, brand);
        put(info.serial, "SER1\n");
        put(info.model, model);
        put(info.androidVersion, "4.4.2\r\n");
        info.memAvail = 1500000;
        info.phoneAvail = phoneAvail;
        info.phoneTotal = phoneTotal;

        DeviceManager_DeviceInfoWidget view(nullptr);
        view.setLanguageTexts();
        view.show();
        view.showInfo(info);

        QCOMPARE(shownValues(view), QStringList({shown[0], shown[1], "4.4.2", "SER1", "1.50 M", shown[2]}));
        QCOMPARE(view.deviceBrand(), shown[0]);
        QCOMPARE(view.deviceModel(), shown[1]);
        const QList<QLabel*> labels = view.findChildren<QLabel*>();
        QCOMPARE(std::count_if(labels.begin(), labels.end(), [](QLabel* l) { return l->isVisible(); }), 6);
    }
    void deviceEntry() {
        DeviceManagerWidget frame(nullptr);
        frame.resize(822, 530);
        frame.show();
        frame.layoutChildren();
        frame.loadImages();
        frame.setLanguageTexts();
        QCOMPARE(entryText(frame), QString("Device"));

        MobrelDeviceInfo info;
        std::memset(&info, 0, sizeof info);
        put(info.brand, "Samsung");
        put(info.model, "Samsung Galaxy S3");
        frame.deviceInfoView()->showInfo(info);
        frame.updateItemCounts(true);
        QCOMPARE(entryText(frame), QString("Samsung  Galaxy S3"));
        frame.updateItemCounts(false);
        QCOMPARE(entryText(frame), QString("Device"));

        // A click on the entry reloads the view (no phone: empty texts, zero sizes) and shows it.
        frame.deviceInfoView()->hide();
        QTest::mouseClick(frame.findChild<QWidget*>("deviceEntry"), Qt::LeftButton);
        QVERIFY(frame.deviceInfoView()->isVisible());
        QCOMPARE(shownValues(*frame.deviceInfoView()),
                 QStringList({"", "", "", "", "0 Bytes", "0 Bytes / 0 Bytes"}));
        frame.updateItemCounts(true);
        QCOMPARE(entryText(frame), QString("Device"));  // " " is too short for a name
    }
    void toolsPageAdb_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("note");
        QTest::newRow("version") << QByteArray("echo 'Android Debug Bridge version 9.8.7'\n"
                                               "echo 'Version 31.0-test'\necho \"$1\" > args\n")
                                 << "Version 9.8.7 (31.0-test)";
        QTest::newRow("failing") << QByteArray("exit 3\n")
                                 << "adb failed when asked for its version.";
        QTest::newRow("endless answer") << QByteArray("exec yes 'Android Debug Bridge version 1'\n")
                                        << "adb failed when asked for its version.";
        QTest::newRow("no version") << QByteArray("echo '<b>hello</b>'\n")
                                    << "adb did not name its version.";
    }
    void toolsPageAdb() {
        QFETCH(QByteArray, script);
        QFETCH(QString, note);
        setApplicationFolder(programFolder.path());
        writeScript(programFolder.filePath("adb"), script);

        click(window->toolsBar()->toolButton(3));
        MobrelToolsWidget* tools = window->toolsWidget();
        auto* button = tools->findChild<MyPushButton*>("adbButton");
        auto* noteLabel = tools->findChild<QLabel*>("adbNote");
        // The first showing of the page starts a check of its own: let it end.
        QVERIFY(waitUntil([&] { return button->isButtonEnabled(); }, 15000));
        click(button);
        QVERIFY(waitUntil([&] { return button->isButtonEnabled(); }, 15000));
        QCOMPARE(noteLabel->text(), note);
        QCOMPARE(tools->findChild<QLabel*>("adbValue")->toolTip(), programFolder.filePath("adb"));
        if (QTest::currentDataTag() == QByteArray("version")) {
            // Asked with the one argument, from the program's folder.
            QFile args(programFolder.filePath("args"));
            QVERIFY(args.open(QIODevice::ReadOnly));
            QCOMPARE(args.readAll(), QByteArray("version\n"));
        }
    }
    void closeButtonEndsProgram() {
        bool stoppedByGuard = false;
        QTimer::singleShot(0, this, [this] { click(window->titleButton(2)); });
        QTimer::singleShot(10000, this, [&stoppedByGuard] {
            stoppedByGuard = true;
            QApplication::exit(1);
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!stoppedByGuard);
        QVERIFY(!window->isVisible());
    }

private:
    QWidget* visiblePage() const {
        QWidget* shown = nullptr;
        for (QWidget* page : {static_cast<QWidget*>(window->deviceWidget()),
                              static_cast<QWidget*>(window->backupWidget()),
                              static_cast<QWidget*>(window->restoreWidget()),
                              static_cast<QWidget*>(window->toolsWidget())}) {
            if (!page->isVisible()) continue;
            if (shown) return nullptr;  // more than one
            shown = page;
        }
        return shown;
    }

    std::unique_ptr<MobrelMainWidget> window;
    QTemporaryDir programFolder;
};

int main(int argc, char* argv[]) {
    // The library and the settings write below HOME: keep them in a scratch folder.
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                             "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"}) {
        const QString folder = home.filePath(QLatin1String(name));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, folder.toLocal8Bit());
    }
    // The connection screen polls adb: a stand-in first on PATH lists no phone,
    // so that no adb server (a user's, or a new one on the default port) is reached.
    const QString bin = home.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    writeScript(bin + QStringLiteral("/adb"), "echo 'List of devices attached'\n");
    qputenv("PATH", (bin + QLatin1Char(':')).toLocal8Bit() + qgetenv("PATH"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "shell_test.moc"
