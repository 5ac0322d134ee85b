#include "screen_kit.h"

#include <QFile>
#include <QJsonDocument>
#include <QLabel>

#include "base/runfolder.h"
#include "gui_stall_meter.h"
#include "library_records.h"
#include "mobrelclient.h"

namespace mobreltest {

void saveShot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("MOBREL_SHOTS");
    if (!folder.isEmpty()) widget->grab().save(folder + "/" + name + ".png");
}

BoxAnswerer::BoxAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QWidget* box = QApplication::activeModalWidget();
        const auto* title = box ? box->findChild<QLabel*>("titleLabel") : nullptr;
        if (!title || !box->isVisible() || (!only.isEmpty() && title->text() != only)) return;
        saveShot(box, "box");
        boxes << title->text() + "|" + box->findChild<QLabel*>("textLabel")->text();
        QWidget* right = box->findChild<QWidget*>("rightButton");
        QTest::mouseClick(left || !right->isVisible() ? box->findChild<QWidget*>("leftButton") : right,
                          Qt::LeftButton);
    });
    timer_.start(20);
}

bool BoxAnswerer::waitForBox(int timeoutMs) const {
    return waitUntil([this] { return !boxes.isEmpty(); }, timeoutMs);
}

PhoneName connectedPhone() {
    MobrelDeviceInfo info{};
    if (MobrelApi_GetAndroidDevicesInfo(&info, 0) != 0) return {};
    const QString brand = QString::fromUtf8(info.brand).remove('\n').remove('\r');
    const QString model = QString::fromUtf8(info.model).remove('\n').remove('\r');
    return {brand, model, deviceName(brand, model)};
}

size_t storeCount(const PhoneSim& sim, int itemType) {
    switch (itemType) {
    case 0: return storeContacts(sim.storePath()).size();
    case 1: return recordsIn(storeConversations(sim.storePath()));
    case 2: return recordsIn(storeCallGroups(sim.storePath()));
    default: return storeItems(sim, *kMediaKinds[itemType - 3]).size();
    }
}

QJsonObject readDataJson(const QString& run, DataFile file) {
    QFile in(dataFilePath(run, file));
    if (!in.open(QIODevice::ReadOnly)) return {};
    QByteArray text = in.readAll();
    text = text.mid(text.indexOf('=') + 1);
    text.chop(1);
    return QJsonDocument::fromJson(text).object();
}

void writeDataFile(const QString& run, DataFile file, const QByteArray& json) {
    writeFile(dataFilePath(run, file).toStdString(), (dataFilePrefix(file) + json + ';').toStdString());
}

}  // namespace mobreltest
