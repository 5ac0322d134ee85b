#include "DeviceManager_CallLogWidget.h"

#include <QCheckBox>
#include <QTimer>
#include <QTreeWidget>

#include <cstring>
#include <limits>

#include "base/formatters.h"
#include "base/listheads.h"
#include "bytetext.h"
#include "exportfiles.h"
#include "mobrelclient.h"
#include "recordtext.h"

namespace {

constexpr int printLineBuffer = 2048;
constexpr int groupNameBytes = 511;

// The group's two name texts, second first.
QString groupName(const MobrelCallLog& call) {
    return call.group ? utf8Text(call.group->reserved2) + utf8Text(call.group->reserved1) : QString();
}

// "HH:MM:SS" of the text's leading digits (none count as 0); empty for no text.
QString durationText(const char* text) {
    if (!text) return QString();
    constexpr quint64 most = std::numeric_limits<quint64>::max();
    quint64 seconds = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        seconds = seconds > (most - 9) / 10 ? most : seconds * 10 + quint64(*p - '0');
    return formatDuration(seconds);
}

}  // namespace

DeviceManager_CallLogWidget::DeviceManager_CallLogWidget(DeviceManagerWidget* frame, QWidget* parent)
    : DeviceManager_BaseWidget(2, frame, parent) {}

void DeviceManager_CallLogWidget::layoutChildren() {
    DeviceManager_BaseWidget::layoutChildren();
    const int columnWidth = columnSpace() / 5;
    for (int column = 0; column < 5; ++column) listTreeWidget->setColumnWidth(column, columnWidth);
}

void DeviceManager_CallLogWidget::setLanguageTexts() {
    DeviceManager_BaseWidget::setLanguageTexts();
    listTreeWidget->setHeaderLabels({tr("Name"), tr("Phone"), tr("Date"), tr("Type"), tr("Duration"), QString()});
    selectAllCheckBox->setText(tr("Select All Call History"));
}

bool DeviceManager_CallLogWidget::fetchList() {
    callGroupListHead = nullptr;
    MobrelApi_GetCallHistory(&callGroupListHead);
    for (MobrelCallGroup* g = callGroupListHead; g; g = g->next) {
        for (MobrelCallLog* e = g->firstEntry; e; e = e->next) e->checkMark = 0;
    }
    currentGroup = callGroupListHead;
    rowCounter = 0;
    return currentGroup != nullptr;
}

void DeviceManager_CallLogWidget::forgetList() { callGroupListHead = currentGroup = nullptr; }

bool DeviceManager_CallLogWidget::matches(const MobrelCallLog& call) const {
    return containsKey(groupName(call), searchKey) || containsKey(utf8Text(call.name), searchKey) ||
           containsKey(utf8Text(call.number), searchKey);
}

QString DeviceManager_CallLogWidget::typeWord(const char* type) const {
    if (!type) return QString();
    if (std::strcmp(type, "1") == 0) return tr("Incoming");
    if (std::strcmp(type, "2") == 0) return tr("Outgoing");
    if (std::strcmp(type, "3") == 0) return tr("Unknown");
    return QString();
}

void DeviceManager_CallLogWidget::m_tTimer1_slots() {
    if (!currentGroup) {
        loadTimer->stop();
        return;
    }
    if (!dataLock.tryLockForWrite()) return;
    for (MobrelCallLog* e = currentGroup->firstEntry; e; e = e->next) {
        if (!matches(*e)) {
            e->checkMark = 0;
            continue;
        }
        addRow({utf8Text(e->name), utf8Text(e->number), utf8Text(e->date), typeWord(e->type),
                durationText(e->duration)},
               &e->checkMark, e, rowCounter % 2 == 1, 5);
        ++rowCounter;
    }
    currentGroup = currentGroup->next;
    dataLock.unlock();
    if (!currentGroup) loadTimer->stop();
}

QString DeviceManager_CallLogWidget::getPrintHtml() const {
    QString html;
    for (const MobrelCallGroup* g = callGroupListHead; g; g = g->next) {
        // A group is selected through its first call, and then printed whole.
        if (!g->firstEntry || g->firstEntry->checkMark != 1) continue;
        const QByteArray second = utf8Prefix(textOf(g->reserved2), groupNameBytes);
        const QByteArray first = utf8Prefix(textOf(g->reserved1), groupNameBytes);
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next) {
            html += printLine("%s:%s%s<br/>Phone:%s<br/>Date:%s<br/>Duration:%s<br/><br/>",
                              {callStatusLabel(e->type), second, first, textOf(e->number), textOf(e->date),
                               textOf(e->duration)},
                              printLineBuffer);
        }
    }
    return html;
}
