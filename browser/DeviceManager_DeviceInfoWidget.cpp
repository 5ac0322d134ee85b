#include "DeviceManager_DeviceInfoWidget.h"

#include <QLabel>
#include <cstring>

#include "base/formatters.h"
#include "base/uiscale.h"

namespace {

// A text field of the library's record: its bytes up to the first NUL (or the
// whole field when the phone filled it), without line feeds and carriage returns.
template <size_t N>
QString fieldText(const char (&field)[N]) {
    QString text = QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, N)));
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    return text;
}

QString textRun(const QString& text, const char* colour, int basePx) {
    return QStringLiteral("<i style=\"color:") + QLatin1String(colour) +
           ";font-size:" + QString::number(scaled(basePx)) + "px;font-style:normal;\">" +
           text.toHtmlEscaped() + "</i>";
}

QString storageText(int64_t avail, int64_t total) {
    return formatSize(avail) + " / " + formatSize(total);
}

}  // namespace

DeviceManager_DeviceInfoWidget::DeviceManager_DeviceInfoWidget(QWidget* parent) : QWidget(parent) {
    static const char* const names[LineCount] = {
        "nameLine",   "typeLine",           "versionLine",      "numberLine", "batteryLine",
        "memoryLine", "availableMemoryLine", "phoneStorageLine", "sdCardLine"};
    for (int i = 0; i < LineCount; ++i) {
        lines[i] = new QLabel(this);
        lines[i]->setObjectName(names[i]);
        lines[i]->setTextFormat(Qt::RichText);
        lines[i]->setVisible(isShown(i));
    }
}

bool DeviceManager_DeviceInfoWidget::isShown(int line) {
    // The library never reports a battery level, and the total memory and the
    // SD card are not shown.
    return line != BatteryLine && line != MemoryCapacityLine && line != SdCardLine;
}

void DeviceManager_DeviceInfoWidget::layoutChildren() {
    int y = scaled(40);
    for (QLabel* line : lines) {
        line->setGeometry(scaled(40), y, qMax(0, width() - scaled(80)), scaled(30));
        if (!line->isHidden()) y += scaled(40);
    }
}

void DeviceManager_DeviceInfoWidget::setLanguageTexts() { writeLines(); }

void DeviceManager_DeviceInfoWidget::refreshDeviceInfo() {
    // On failure the record stays zero: empty texts and zero sizes.
    MobrelDeviceInfo info;
    std::memset(&info, 0, sizeof info);
    MobrelApi_GetAndroidDevicesInfo(&info, 0);
    showInfo(info);
}

void DeviceManager_DeviceInfoWidget::showInfo(const MobrelDeviceInfo& info) {
    m_deviceBrand = fieldText(info.brand);
    m_deviceModel = fieldText(info.model);
    values[NameLine] = m_deviceBrand;
    values[TypeLine] = m_deviceModel;
    values[VersionLine] = fieldText(info.androidVersion);
    values[NumberLine] = fieldText(info.serial);
    values[BatteryLine] = QString::number(info.percentValue) + "%";
    values[MemoryCapacityLine] = formatSize(info.memTotal);
    values[AvailableMemoryLine] = formatSize(info.memAvail);
    values[PhoneStorageLine] = storageText(info.phoneAvail, info.phoneTotal);
    values[SdCardLine] = storageText(info.sdAvail, info.sdTotal);
    writeLines();
}

QString DeviceManager_DeviceInfoWidget::caption(int line) const {
    switch (line) {
        case NameLine: return tr("Device Name       : ");
        case TypeLine: return tr("Device Type       : ");
        case VersionLine: return tr("Device Version    : ");
        case NumberLine: return tr("Device Number     : ");
        case BatteryLine: return tr("Battery           : ");
        case MemoryCapacityLine: return tr("Memory Capacity   : ");
        case AvailableMemoryLine: return tr("Available Memory  : ");
        case PhoneStorageLine: return tr("Phone Storage     : ");
        default: return tr("SD Card           : ");
    }
}

void DeviceManager_DeviceInfoWidget::writeLines() {
    for (int i = 0; i < LineCount; ++i) {
        lines[i]->setText(textRun(caption(i), "#6d6d6d", 16) + textRun(values[i], "#408eea", 15));
    }
}
