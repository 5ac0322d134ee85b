// The phone's text messages (itemType 1), one row per conversation, selected
// through its first message; the list's head is smsThreadListHead. A click on
// a conversation shows its messages on the right as chat bubbles, sent ones
// on the right side, one bubble per 100 ms tick.
#pragma once

#include <QList>

#include "DeviceManager_BaseWidget.h"

class MyShowSmsItem;
class QLabel;
class QScrollArea;
struct MobrelSms;
struct MobrelSmsThread;

class DeviceManager_MessagesWidget : public DeviceManager_BaseWidget {
    Q_OBJECT

public:
    DeviceManager_MessagesWidget(DeviceManagerWidget* frame, QWidget* parent);

    void layoutChildren() override;
    void setLanguageTexts() override;
    void clearData() override;
    QString getPrintHtml() const override;

public slots:
    // A click that did not toggle the row's box shows the conversation.
    void sd_listTreeWidgetClicked_slots(QTreeWidgetItem* item, int column) override;
    // One conversation.
    void m_tTimer1_slots() override;
    void searchLinedit_slots() override;
    // The next bubble of the shown conversation.
    void m_showoneGroupTimer1_slots();

protected:
    bool fetchList() override;
    void forgetList() override;

private:
    bool matches(const MobrelSms& message) const;
    bool matches(const MobrelSmsThread& conversation) const;
    // No conversation shown: its name gone, every bubble hidden, no bubble step pending.
    void clearConversation();
    // The width the bubbles share: the area's, less its scroll bar.
    int bubbleSpace() const;

    MobrelSmsThread* currentThread = nullptr;
    int rowCounter = 0;  // rows added since loadData, for the stripes
    QLabel* conversationLabel;
    QScrollArea* bubbleArea;
    QWidget* bubbleContainer;
    // Bubbles are reused from the start for each conversation, never destroyed.
    QList<MyShowSmsItem*> bubblePool;
    QTimer* groupTimer;
    const MobrelSms* currentMessage = nullptr;
    int bubbleIndex = 0;
    int bubbleTop = 0;
};
