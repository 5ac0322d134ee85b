// The phone's contacts (itemType 0), the list's head is contactListHead. Name
// and phone number are listed; the clicked contact's details show on the right.
#pragma once

#include "DeviceManager_BaseWidget.h"

class QLabel;
struct MobrelContact;

class DeviceManager_ContactWidget : public DeviceManager_BaseWidget {
    Q_OBJECT

public:
    DeviceManager_ContactWidget(DeviceManagerWidget* frame, QWidget* parent);

    void layoutChildren() override;
    void setLanguageTexts() override;
    void clearData() override;
    QString getPrintHtml() const override;

public slots:
    // A click that did not toggle the row's box shows the contact's details.
    void sd_listTreeWidgetClicked_slots(QTreeWidgetItem* item, int column) override;
    // Up to 22 rows.
    void m_tTimer1_slots() override;

protected:
    bool fetchList() override;
    void forgetList() override;

private:
    bool matches(const MobrelContact& contact) const;

    MobrelContact* currentContact = nullptr;
    QWidget* detailPanel;
    QLabel* pictureLabel;
    QLabel* nameLabel;
    QLabel* detailsLabel;
    QLabel* separatorLine;
    // "Mobile:", "Home Mobile:", "Work Mobile:", "WebPage:", "Email:", "Note:",
    // "Organzation:", "Department:" (translated).
    QStringList detailLabels;
};
