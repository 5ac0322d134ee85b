// The phone's call history (itemType 2), one row per call, grouped by number;
// the list's head is callGroupListHead. A click only toggles a row's selection.
#pragma once

#include "DeviceManager_BaseWidget.h"

struct MobrelCallGroup;
struct MobrelCallLog;

class DeviceManager_CallLogWidget : public DeviceManager_BaseWidget {
    Q_OBJECT

public:
    DeviceManager_CallLogWidget(DeviceManagerWidget* frame, QWidget* parent);

    void layoutChildren() override;
    void setLanguageTexts() override;
    QString getPrintHtml() const override;

public slots:
    // The calls of one group.
    void m_tTimer1_slots() override;

protected:
    bool fetchList() override;
    void forgetList() override;

private:
    bool matches(const MobrelCallLog& call) const;
    // "Incoming", "Outgoing", "Unknown" (translated), else empty text.
    QString typeWord(const char* type) const;

    MobrelCallGroup* currentGroup = nullptr;
    int rowCounter = 0;  // rows added since loadData, for the stripes
};
