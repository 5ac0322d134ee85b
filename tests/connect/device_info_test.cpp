// The device information view's lines and the browser frame's device entry,
// without a phone.
#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

#include "DeviceManagerWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "info_lines.h"
#include "mobrelclient.h"

namespace {

QString entryText(const DeviceManagerWidget& frame) {
    return frame.findChild<QWidget*>("deviceEntry")->findChild<QLabel*>("nameLabel")->text();
}

template <size_t N>
void put(char (&field)[N], const QByteArray& bytes) {
    std::memcpy(field, bytes.constData(), qMin(static_cast<size_t>(bytes.size()), N));
}

}  // namespace

class DeviceInfoTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { MobrelApi_Init(); }
    void lines_data();
    void lines();
    void deviceEntry();
};

// The version, serial and memory lines are the same in every row: "4.4.2", "SER1", "1.50 M".
void DeviceInfoTest::lines_data() {
    QTest::addColumn<QByteArray>("brand");
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<qint64>("phoneAvail");
    QTest::addColumn<qint64>("phoneTotal");
    QTest::addColumn<QStringList>("shown");  // brand, model and storage as the lines show them

    QTest::newRow("markup stays text") << QByteArray("<b>x") << QByteArray("M<i>1</i>&amp;") << qint64(0) << qint64(0)
                                       << QStringList{"<b>x", "M<i>1</i>&amp;", "0 Bytes / 0 Bytes"};
    QTest::newRow("line ends removed") << QByteArray("sam\rsung\n") << QByteArray("SM-G900\r\n") << qint64(999)
                                       << qint64(1001) << QStringList{"samsung", "SM-G900", "999 Bytes / 1.00 KB"};
    QTest::newRow("storage free then total") << QByteArray("b") << QByteArray("m") << qint64(3200000000)
                                             << qint64(16000000000) << QStringList{"b", "m", "3.20 G / 16.00 G"};
    QTest::newRow("utf-8 model") << QByteArray("b") << QByteArray("Caf\xc3\xa9") << qint64(0) << qint64(0)
                                 << QStringList{"b", "Caf\u00e9", "0 Bytes / 0 Bytes"};
    // The fields follow each other in the record: a full brand runs into the serial.
    QTest::newRow("brand fills its field") << QByteArray(128, 'A') << QByteArray(64, 'B') << qint64(0) << qint64(0)
                                           << QStringList{QString(128, 'A'), QString(64, 'B'), "0 Bytes / 0 Bytes"};
}

void DeviceInfoTest::lines() {
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

void DeviceInfoTest::deviceEntry() {
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

int main(int argc, char** argv) {
    // The library keeps its work folder and log below these.
    QTemporaryDir root;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"}) {
        const QString folder = root.path() + "/" + name;
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(folder));
    }
    QApplication app(argc, argv);
    DeviceInfoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "device_info_test.moc"
