#include "DeviceManager_ContactWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

#include "base/listheads.h"
#include "base/uiscale.h"
#include "bytetext.h"
#include "mobrelclient.h"
#include "recordtext.h"

namespace {

constexpr int rowsPerTick = 22;  // even, so that the stripes run on across ticks
constexpr int panelWidth = 300;
constexpr int printLineBuffer = 1024;

// Nickname when set, else name and its extra part.
QString listedName(const MobrelContact& c) {
    return c.nickname ? utf8Text(c.nickname) : utf8Text(c.name) + utf8Text(c.nameExtra);
}

// The first phone or fax number the contact has.
const char* listedPhone(const MobrelContact& c) {
    for (const char* number : {c.mobilePhone, c.homePhone, c.workPhone, c.homeFax, c.workFax})
        if (number) return number;
    return nullptr;
}

}  // namespace

DeviceManager_ContactWidget::DeviceManager_ContactWidget(DeviceManagerWidget* frame, QWidget* parent)
    : DeviceManager_BaseWidget(0, frame, parent),
      detailPanel(new QWidget(this)),
      pictureLabel(new QLabel(detailPanel)),
      nameLabel(new QLabel(detailPanel)),
      detailsLabel(new QLabel(detailPanel)),
      separatorLine(new QLabel(detailPanel)) {
    detailPanel->setObjectName("detailPanel");
    pictureLabel->setObjectName("pictureLabel");
    nameLabel->setObjectName("nameLabel");
    detailsLabel->setObjectName("detailsLabel");
    detailPanel->setAttribute(Qt::WA_StyledBackground);
    nameLabel->setTextFormat(Qt::PlainText);
    detailsLabel->setTextFormat(Qt::RichText);
    detailsLabel->setWordWrap(true);
    detailsLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (int column : {1, 2, 4}) listTreeWidget->setColumnHidden(column, true);
}

void DeviceManager_ContactWidget::layoutChildren() {
    DeviceManager_BaseWidget::layoutChildren();
    const int panel = qMin(scaled(panelWidth), width() / 2);
    const QRect list = listTreeWidget->geometry();
    listTreeWidget->setGeometry(list.x(), list.y(), width() - panel, list.height());
    detailPanel->setGeometry(width() - panel, list.y(), panel, list.height());
    const int inner = panel - scaled(40);
    pictureLabel->setGeometry((panel - scaled(96)) / 2, scaled(20), scaled(96), scaled(96));
    nameLabel->setGeometry(scaled(20), scaled(128), inner, scaled(28));
    separatorLine->setGeometry(scaled(20), scaled(164), inner, 1);
    detailsLabel->setGeometry(scaled(20), scaled(176), inner, qMax(0, list.height() - scaled(196)));
    const int half = columnSpace() / 2;
    for (int column : {1, 2, 4}) listTreeWidget->setColumnWidth(column, 0);
    listTreeWidget->setColumnWidth(0, half);
    listTreeWidget->setColumnWidth(3, half - 6);
}

void DeviceManager_ContactWidget::setLanguageTexts() {
    DeviceManager_BaseWidget::setLanguageTexts();
    selectAllCheckBox->setText(tr("Select All Contacts"));
    listTreeWidget->setHeaderLabels({tr("Name"), tr("Company"), tr("Job Title"), tr("Phone"), tr("Email"), QString()});
    detailLabels = QStringList{tr("Mobile:"), tr("Home Mobile:"), tr("Work Mobile:"), tr("WebPage:"),
                               tr("Email:"),  tr("Note:"),        tr("Organzation:"), tr("Department:")};
    detailPanel->setStyleSheet("QWidget#detailPanel { background-color: #ffffff; }");
    nameLabel->setStyleSheet(QString("QLabel { color: #333333;font:%1px;font-family:\"Lato\";}").arg(scaled(18)));
    separatorLine->setStyleSheet("QLabel { background-color: rgb(229, 229, 229); }");
}

bool DeviceManager_ContactWidget::fetchList() {
    contactListHead = nullptr;
    MobrelApi_GetPerson(&contactListHead);
    for (MobrelContact* c = contactListHead; c; c = c->next) c->checkMark = 0;
    currentContact = contactListHead;
    return currentContact != nullptr;
}

void DeviceManager_ContactWidget::forgetList() { contactListHead = currentContact = nullptr; }

void DeviceManager_ContactWidget::clearData() {
    DeviceManager_BaseWidget::clearData();
    nameLabel->clear();
    detailsLabel->clear();
}

bool DeviceManager_ContactWidget::matches(const MobrelContact& c) const {
    if (searchKey.isEmpty() || containsKey(utf8Text(c.nameExtra) + utf8Text(c.name), searchKey)) return true;
    // Every text field from the nickname on; never the contact's id.
    for (const char* text : {c.nickname, c.mobilePhone, c.homePhone, c.workPhone, c.website, c.homeEmail, c.birthday,
                             c.group, c.note, c.organization, c.title, c.extra14, c.extra15, c.homeAddress,
                             c.workAddress, c.homeFax, c.workFax, c.workEmail}) {
        if (text && containsKey(utf8Text(text), searchKey)) return true;
    }
    return false;
}

void DeviceManager_ContactWidget::m_tTimer1_slots() {
    if (!currentContact) {
        loadTimer->stop();
        return;
    }
    if (!dataLock.tryLockForWrite()) return;
    for (int added = 0; currentContact && added < rowsPerTick; currentContact = currentContact->next) {
        MobrelContact& c = *currentContact;
        if (!matches(c)) {
            c.checkMark = 0;
            continue;
        }
        QTreeWidgetItem* row = addRow({listedName(c), utf8Text(c.organization), utf8Text(c.note),
                                       utf8Text(listedPhone(c)), utf8Text(c.homeEmail), utf8Text(c.contactId)},
                                      &c.checkMark, &c, added % 2 == 1, 6);
        if (c.highlightFlag == 1) {
            for (int column = 0; column < 5; ++column) row->setForeground(column, QColor(255, 96, 0));
        }
        ++added;
    }
    dataLock.unlock();
    if (!currentContact) {
        showFirstRow();
        loadTimer->stop();
    }
}

void DeviceManager_ContactWidget::sd_listTreeWidgetClicked_slots(QTreeWidgetItem* item, int column) {
    if (sd_listTreeWidgetChangeState_slots(item, column) != 0) return;
    const MobrelContact* c = recordOf<MobrelContact>(item);
    if (!c) return;
    pictureLabel->setPixmap(
        QPixmap(":/images/user.png").scaled(pictureLabel->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    nameLabel->setText(tr("Name") + ": " + item->text(0));

    const QString colour = c->highlightFlag == 1 ? "#ff6000" : "#2c2d2d";
    detailsLabel->setStyleSheet("QLabel { color:" + colour + ";font: " + QString::number(scaled(16)) + "px;}");
    const QString labelStart =
        QString("<i style=\"color:%1;font-size:%2px;font-style:normal;\">").arg(colour).arg(scaled(14));
    const struct {
        const char* text;
        QString label;
    } lines[] = {
        {c->mobilePhone, detailLabels.value(0)}, {c->homePhone, detailLabels.value(1)},
        {c->workPhone, detailLabels.value(2)},   {c->homeFax, tr("Home Fax:")},
        {c->workFax, tr("Work Fax:")},           {c->website, detailLabels.value(3)},
        {c->homeEmail, detailLabels.value(4)},   {c->workEmail, tr("Work Email:")},
        {c->note, detailLabels.value(5)},        {c->organization, detailLabels.value(6)},
        {c->title, detailLabels.value(7)},
    };
    QString details;
    for (const auto& line : lines) {
        if (!line.text) continue;
        details += labelStart + line.label.toHtmlEscaped() + "</i>&nbsp;" + utf8Text(line.text).toHtmlEscaped() +
                   "<br/>";
    }
    detailsLabel->setText(details);
}

QString DeviceManager_ContactWidget::getPrintHtml() const {
    QString html;
    for (const MobrelContact* c = contactListHead; c; c = c->next) {
        if (c->checkMark != 1) continue;
        if (c->name || c->nameExtra)
            html += printLine("Name:%s%s<br/>", {textOf(c->name), textOf(c->nameExtra)}, printLineBuffer);
        const struct {
            const char* format;
            const char* text;
        } lines[] = {
            {"Mobile Phone:%s<br/>", c->mobilePhone}, {"Home Phone:%s<br/>", c->homePhone},
            {"Work Phone:%s<br/>", c->workPhone},     {"Home Page:%s<br/>", c->website},
            {"Home Email:%s<br/>", c->homeEmail},     {"Note:%s<br/>", c->note},
            {"Organzation:%s<br/>", c->organization}, {"Department:%s<br/>", c->title},
            {"Home Address:%s<br/>", c->homeAddress}, {"Work Address:%s<br/>", c->workAddress},
            {"Home Fax:%s<br/>", c->homeFax},         {"Work Fax:%s<br/>", c->workFax},
            {"Work Email:%s<br/>", c->workEmail},
        };
        for (const auto& line : lines)
            if (line.text) html += printLine(line.format, {textOf(line.text)}, printLineBuffer);
        html += "<br/>";  // an empty line between contacts
    }
    return html;
}
