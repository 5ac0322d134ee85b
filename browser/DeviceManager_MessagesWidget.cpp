#include "DeviceManager_MessagesWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWriteLocker>

#include <cstring>

#include "MyShowSmsItem.h"
#include "base/listheads.h"
#include "base/uiscale.h"
#include "bytetext.h"
#include "exportfiles.h"
#include "mobrelclient.h"
#include "recordtext.h"

namespace {

constexpr int bubbleIntervalMs = 100;
constexpr int listWidth = 400;
constexpr int contentColumnWidth = 236;
constexpr int dateColumnWidth = 140;
constexpr int labelHeight = 36;
constexpr int areaMargin = 10;
constexpr int scrollBarWidth = 5;
constexpr int bubbleGap = 10;
constexpr int printLineBuffer = 2048;

// The body up to its first line feed, unless the line feed starts it.
QString listedBody(const char* body) {
    const QString text = utf8Text(body);
    const int feed = text.indexOf('\n');
    return feed > 0 ? text.left(feed) : text;
}

}  // namespace

DeviceManager_MessagesWidget::DeviceManager_MessagesWidget(DeviceManagerWidget* frame, QWidget* parent)
    : DeviceManager_BaseWidget(1, frame, parent),
      conversationLabel(new QLabel(this)),
      bubbleArea(new QScrollArea(this)),
      bubbleContainer(new QWidget),
      groupTimer(new QTimer(this)) {
    conversationLabel->setObjectName("conversationLabel");
    bubbleArea->setObjectName("bubbleArea");
    bubbleContainer->setObjectName("bubbleContainer");
    groupTimer->setObjectName("groupTimer");
    for (int column = 2; column < idColumn; ++column) listTreeWidget->setColumnHidden(column, true);
    conversationLabel->setTextFormat(Qt::PlainText);
    bubbleArea->setFrameShape(QFrame::NoFrame);
    bubbleArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bubbleArea->setWidget(bubbleContainer);
    bubbleContainer->setAttribute(Qt::WA_StyledBackground);
    groupTimer->setInterval(bubbleIntervalMs);
    connect(groupTimer, &QTimer::timeout, this, &DeviceManager_MessagesWidget::m_showoneGroupTimer1_slots);
}

void DeviceManager_MessagesWidget::layoutChildren() {
    DeviceManager_BaseWidget::layoutChildren();
    const QRect list = listTreeWidget->geometry();
    const int listPart = qMin(scaled(listWidth), width() / 2);
    listTreeWidget->setGeometry(list.x(), list.y(), listPart, list.height());
    listTreeWidget->setColumnWidth(0, scaled(contentColumnWidth));
    // The date takes the rest of the list's width, at least its own.
    listTreeWidget->setColumnWidth(1, qMax(scaled(dateColumnWidth), columnSpace() - scaled(contentColumnWidth)));
    for (int column = 2; column < idColumn; ++column) listTreeWidget->setColumnWidth(column, 0);
    conversationLabel->setGeometry(listPart, list.y(), width() - listPart, scaled(labelHeight));
    bubbleArea->setGeometry(listPart, list.y() + scaled(labelHeight), width() - listPart,
                            qMax(0, list.height() - scaled(labelHeight)));
    // Bubbles already shown keep their side at the new width.
    bubbleContainer->resize(bubbleSpace(), bubbleContainer->height());
    for (MyShowSmsItem* bubble : bubblePool) {
        if (bubble->bubbleSide() == 1) bubble->move(bubbleSpace() - bubble->width() - 2, bubble->y());
    }
}

int DeviceManager_MessagesWidget::bubbleSpace() const {
    // The scroll bar's room is kept free also while it is hidden, so that
    // the bubbles on the right stay put when it appears.
    return qMax(0, bubbleArea->width() - 2 * scaled(areaMargin) - scaled(scrollBarWidth));
}

void DeviceManager_MessagesWidget::setLanguageTexts() {
    DeviceManager_BaseWidget::setLanguageTexts();
    listTreeWidget->setHeaderLabels({tr("Content"), tr("Date"), QString(), QString()});
    selectAllCheckBox->setText(tr("Select All Messages"));
    conversationLabel->setStyleSheet("QLabel {color:#333333;font:" + QString::number(scaled(16)) +
                                     "px;background:#ffffff;border: 1px solid #e5e5e5;padding-left:10px;}");
    bubbleArea->setStyleSheet(
        QString("QScrollArea { background: #ffffff; border: none; padding: %1px %1px 0 %1px; }"
                "QScrollBar:vertical { width: %2px; background: #f3f7fa; border: none; margin: 0; }"
                "QScrollBar::handle:vertical { background: #c5d0d9; min-height: %3px; }"
                "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
            .arg(scaled(areaMargin))
            .arg(scaled(scrollBarWidth))
            .arg(scaled(20)));
    bubbleContainer->setStyleSheet("QWidget#bubbleContainer { background: #ffffff; }");
}

bool DeviceManager_MessagesWidget::fetchList() {
    smsThreadListHead = nullptr;
    MobrelApi_GetSMS(&smsThreadListHead);
    for (MobrelSmsThread* t = smsThreadListHead; t; t = t->next) {
        for (MobrelSms* m = t->firstMessage; m; m = m->next) m->checkMark = 0;
    }
    currentThread = smsThreadListHead;
    rowCounter = 0;
    return currentThread != nullptr;
}

void DeviceManager_MessagesWidget::forgetList() { smsThreadListHead = currentThread = nullptr; }

void DeviceManager_MessagesWidget::clearData() {
    DeviceManager_BaseWidget::clearData();
    clearConversation();
}

void DeviceManager_MessagesWidget::searchLinedit_slots() {
    DeviceManager_BaseWidget::searchLinedit_slots();
    clearConversation();
}

void DeviceManager_MessagesWidget::clearConversation() {
    groupTimer->stop();
    currentMessage = nullptr;
    conversationLabel->clear();
    // Only the bubbles of the conversation shown are visible.
    for (int i = 0; i < bubbleIndex && i < bubblePool.size(); ++i) bubblePool[i]->hide();
    bubbleIndex = 0;
    bubbleContainer->resize(bubbleSpace(), 0);
}

bool DeviceManager_MessagesWidget::matches(const MobrelSms& m) const {
    for (const char* text : {m.person, m.address, m.body, m.extra}) {
        if (containsKey(utf8Text(text), searchKey)) return true;
    }
    return false;
}

bool DeviceManager_MessagesWidget::matches(const MobrelSmsThread& t) const {
    if (containsKey(utf8Text(t.person), searchKey) || containsKey(utf8Text(t.address), searchKey)) return true;
    for (const MobrelSms* m = t.firstMessage; m; m = m->next) {
        if (matches(*m)) return true;
    }
    return false;
}

void DeviceManager_MessagesWidget::m_tTimer1_slots() {
    if (!currentThread) {
        loadTimer->stop();
        return;
    }
    if (!dataLock.tryLockForWrite()) return;
    MobrelSmsThread& t = *currentThread;
    if (MobrelSms* first = t.firstMessage) {
        if (!matches(t)) {
            first->checkMark = 0;
        } else {
            const MobrelSms* shown = t.lastMessage ? t.lastMessage : first;
            addRow({listedBody(shown->body), utf8Text(shown->date)}, &first->checkMark, &t, rowCounter % 2 == 1, 2);
            ++rowCounter;
        }
    }
    currentThread = t.next;
    dataLock.unlock();
    if (!currentThread) {
        showFirstRow();
        loadTimer->stop();
    }
}

void DeviceManager_MessagesWidget::sd_listTreeWidgetClicked_slots(QTreeWidgetItem* item, int column) {
    if (sd_listTreeWidgetChangeState_slots(item, column) != 0) return;
    const MobrelSmsThread* t = recordOf<MobrelSmsThread>(item);
    if (!t) return;
    QWriteLocker lock(&dataLock);
    clearConversation();
    const QString person = utf8Text(t->person);
    const QString address = utf8Text(t->address);
    conversationLabel->setText(!person.isEmpty() && !address.isEmpty() ? person + " (" + address + ")" : person + address);
    currentMessage = t->firstMessage;
    bubbleTop = 0;
    groupTimer->start(bubbleIntervalMs);
}

void DeviceManager_MessagesWidget::m_showoneGroupTimer1_slots() {
    if (!currentMessage) {
        groupTimer->stop();
        return;
    }
    if (!dataLock.tryLockForWrite()) return;
    const MobrelSms& m = *currentMessage;
    if (matches(m)) {
        if (bubbleIndex >= bubblePool.size()) bubblePool << new MyShowSmsItem(bubbleContainer);
        MyShowSmsItem* bubble = bubblePool[bubbleIndex++];
        bubble->setMessageText(utf8Text(m.body), utf8Text(m.date));
        const int space = bubbleSpace();
        const int width = qMin(bubble->width(), space - 4);
        const bool sent = m.type && std::strcmp(m.type, "2") == 0;
        bubble->placeBubble(sent ? space - width - 2 : 2, bubbleTop, width);
        bubble->setBubbleSide(sent ? 1 : 0);
        bubble->show();
        bubbleTop += bubble->height() + scaled(bubbleGap);
        bubbleContainer->resize(space, bubbleTop + scaled(30) - 1);
    }
    currentMessage = m.next;
    if (!currentMessage) groupTimer->stop();
    dataLock.unlock();
}

QString DeviceManager_MessagesWidget::getPrintHtml() const {
    QString html;
    for (const MobrelSmsThread* t = smsThreadListHead; t; t = t->next) {
        // A conversation is selected through its first message, and then printed whole.
        if (!t->firstMessage || t->firstMessage->checkMark != 1) continue;
        for (const MobrelSms* m = t->firstMessage; m; m = m->next) {
            // Cut for the page only: the records keep their texts.
            const QByteArray person = utf8Prefix(textOf(m->person), 255);
            const QByteArray address = utf8Prefix(textOf(m->address), 30);
            const QByteArray body = utf8Prefix(textOf(m->body), 1600);
            const char* word = smsDirectionLabel(m->type);
            const QByteArray date = textOf(m->date);
            html += person.isEmpty()
                        ? printLine("%s:%s<br/>Date:%s<br/>Content:%s<br/><br/>", {word, address, date, body},
                                    printLineBuffer)
                        : printLine("%s:%s(%s)<br/>Date:%s<br/>Content:%s<br/><br/>", {word, person, address, date, body},
                                    printLineBuffer);
        }
    }
    return html;
}
