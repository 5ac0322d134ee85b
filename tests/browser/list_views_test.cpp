// The contacts, messages and call history views against phonesim's small phone with records of the
// test's own (the functions run in order); with --large, the large phone's fill without holding up the window.
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTextDocumentFragment>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>
#include <map>
#include <set>
#include <unistd.h>

#include "DeviceManagerWidget.h"
#include "DeviceManager_BaseWidget.h"
#include "MobrelBackupWidget.h"
#include "MyMessageBoxWidget.h"
#include "MyShowSmsItem.h"
#include "base/listheads.h"
#include "gui_stall_meter.h"
#include "library_records.h"
#include "mobrelclient.h"
#include "screen_kit.h"
#include "store_files.h"

using namespace mobreltest;

namespace {

constexpr int longWaitMs = 300000;
bool largePhone = false;  // --large: the large phone, for the fill alone

// The test's own records; the library lists the newest contact first: the last one added is the first row.
const char* const markupName = "<b>x";
const char* const ownMobile = "+99 555 0100";
const char* const comparison = "if a<b and c>d";
const char* const ownNumber = "+99 0000 4242";
const QByteArray longAddress(1500, 'w');
const QByteArray longGroupName(600, 'n');
const char* const accentedName = "Zoë Ångqq";  // garbled if taken as Latin-1
const char* const accentedMobile = "+99 555 0177";
const QByteArray longBody(1700, 'v');
// The conversation with the accented contact, oldest first; type "1" is a sent message.
const struct {
    const char *body, *date, *type;
} ownMessages[] = {{comparison, "2023-09-27 10:00:00", "0"},
                   {longBody.constData(), "2023-09-28 10:00:00", "1"},
                   {"Hi\nthere", "2023-09-29 10:00:00", "0"}};

char* text(const char* value) { return const_cast<char*>(value); }

// Android 10: only the default messaging app writes messages.
bool addOwnMessages() {
    MobrelApi_SetDefaultMessage();
    for (int i = 0; i < 100 && MobrelApi_CheckDefaultMessangeOK() != 0; ++i) usleep(100000);
    bool added = true;
    for (const auto& own : ownMessages) {
        MobrelSms message{};
        message.address = text(accentedMobile);
        message.body = text(own.body);
        message.date = text(own.date);
        message.type = text(own.type);
        message.read = text("1");
        added = MobrelApi_AddSMS(&message) == 1 && added;
    }
    MobrelApi_ReSetDefaultMessage();
    return added;
}

bool addOwnRecords() {
    MobrelContact bob{}, accented{}, markup{};
    bob.name = text("Robertqq Zed");
    bob.nickname = text("Bobqq");
    bob.mobilePhone = text("+99 555 0199");
    accented.name = text(accentedName);
    accented.mobilePhone = text(accentedMobile);
    markup.name = text(markupName);
    markup.mobilePhone = text(ownMobile);
    markup.note = text(comparison);
    markup.workAddress = text(longAddress.constData());
    MobrelCallLog in{}, out{};
    in.number = out.number = text(ownNumber);
    in.date = text("2023-09-30 10:00:00");
    in.type = text("1");
    in.duration = text("75");
    out.date = text("2023-09-29 10:00:00");
    out.type = text("2");
    out.duration = text("5");
    return MobrelApi_AddPerson(&bob) == 0 && MobrelApi_AddPerson(&accented) == 0 && MobrelApi_AddPerson(&markup) == 0 &&
           MobrelApi_AddCallHistory(&in) == 1 && MobrelApi_AddCallHistory(&out) == 1 && addOwnMessages();
}

QString qText(const std::optional<std::string>& value) { return value ? QString::fromStdString(*value) : QString(); }

// The visible columns of every row as the phone's store says they should read.
QList<QStringList> expectedRows(const PhoneSim& sim, int itemType) {
    QList<QStringList> rows;
    if (itemType == 0) {
        for (Fields& c : storeContacts(sim.storePath())) {
            QString phone;
            for (const char* key : {"mobilePhone", "homePhone", "workPhone", "homeFax", "workFax"})
                if (phone.isEmpty()) phone = qText(c[key]);
            rows << QStringList{c["nickname"] ? qText(c["nickname"]) : qText(c["name"]), phone};
        }
        return rows;
    }
    if (itemType == 1) {
        // A conversation's latest message, up to its first line feed unless that starts it.
        for (const Group& conversation : storeConversations(sim.storePath())) {
            Fields latest = conversation.records.back();
            const QString body = qText(latest["body"]);
            rows << QStringList{body.indexOf('\n') > 0 ? body.left(body.indexOf('\n')) : body, qText(latest["date"])};
        }
        return rows;
    }
    const std::map<std::string, QString> words{{"1", "Incoming"}, {"2", "Outgoing"}, {"3", "Unknown"}};
    for (const Group& group : storeCallGroups(sim.storePath())) {
        for (Fields call : group.records) {
            const long long s = std::stoll(*call["duration"]);
            const auto word = words.find(*call["type"]);
            rows << QStringList{qText(call["name"]), qText(call["number"]), qText(call["date"]),
                                word == words.end() ? QString() : word->second,
                                QString::asprintf("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60)};
        }
    }
    return rows;
}

const void* recordOf(const QTreeWidgetItem* row) {
    return row->data(DeviceManager_BaseWidget::recordColumn, Qt::UserRole).value<void*>();
}

// Every record with a row has the mark of its row's box, every other one 0.
bool marksFollowRows(int itemType, const QTreeWidget* tree) {
    std::map<const void*, int> shown;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        shown[recordOf(tree->topLevelItem(i))] = tree->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
    const auto follows = [&](const void* record, int mark) {
        const auto found = shown.find(record);
        return mark == (found == shown.end() ? 0 : found->second);
    };
    for (const MobrelContact* c = contactListHead; itemType == 0 && c; c = c->next)
        if (!follows(c, c->checkMark)) return false;
    for (const MobrelSmsThread* t = smsThreadListHead; itemType == 1 && t; t = t->next)
        if (t->firstMessage && !follows(t, t->firstMessage->checkMark)) return false;
    for (const MobrelCallGroup* g = callGroupListHead; itemType == 2 && g; g = g->next)
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next)
            if (!follows(e, e->checkMark)) return false;
    return true;
}

// The row of the test's own record: the markup contact, the first call of its number, the conversation.
int ownRow(const QTreeWidget* tree, int itemType) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = tree->topLevelItem(i);
        if (itemType == 0 ? row->text(0) == markupName
            : itemType == 2
                ? row->text(1) == ownNumber
                : qstrcmp(static_cast<const MobrelSmsThread*>(recordOf(row))->address, accentedMobile) == 0)
            return i;
    }
    return -1;
}

QList<MyShowSmsItem*> shownBubbles(const QWidget* view) {  // top to bottom
    QList<MyShowSmsItem*> shown;
    for (MyShowSmsItem* bubble : view->findChildren<MyShowSmsItem*>())
        if (!bubble->isHidden()) shown << bubble;
    std::sort(shown.begin(), shown.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    return shown;
}

QString bubbleText(const MyShowSmsItem* bubble, const char* label) { return bubble->findChild<QLabel*>(label)->text(); }

QStringList columnTexts(const QTreeWidget* tree, int column) {
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) texts << tree->topLevelItem(i)->text(column);
    return texts;
}

QList<QStringList> visibleTexts(const QTreeWidget* tree) {
    QList<QStringList> rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QStringList texts;
        for (int column = 0; column < DeviceManager_BaseWidget::idColumn; ++column)
            if (!tree->isColumnHidden(column)) texts << tree->topLevelItem(i)->text(column);
        rows << texts;
    }
    return rows;
}

void clickRow(QTreeWidget* tree, int row, bool onBox) {
    QTreeWidgetItem* item = tree->topLevelItem(row);
    tree->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(tree->viewport());
    option.rect = tree->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect box = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onBox ? box.center() : option.rect.center());
}

// The data browser with the backup screen's export entry, built as the main window builds them.
struct Browser {
    DeviceManagerWidget frame{nullptr};
    MobrelBackupWidget backup;
    BoxAnswerer answerer;  // answers "Backup finished" with "Cancel", so that no file manager opens

    // Only the small phone's fill keeps the designed pace; elsewhere the rows come every millisecond.
    explicit Browser(bool designedPace = false) {
        answerer.only = "Backup finished";
        frame.setExportEntry([this](int itemType, ExportingView* view) { return backup.startExport(itemType, view); },
                             [this] { backup.stopWorker(); });
        backup.worker()->setPacing(0, 0);
        for (int itemType = 0; itemType < 3; ++itemType)
            view(itemType)->setFillInterval(designedPace ? DeviceManager_BaseWidget::kFillIntervalMs : 1);
        showScreen(frame);
    }
    DeviceManager_BaseWidget* view(int itemType) const {
        return static_cast<DeviceManager_BaseWidget*>(frame.categoryView(itemType));
    }
    template <class Child>
    Child* child(int itemType, const char* name) const { return view(itemType)->findChild<Child*>(name); }
    QTreeWidget* tree(int itemType) const { return child<QTreeWidget>(itemType, "listTreeWidget"); }
    void click(int itemType, const char* name) const {
        QTest::mouseClick(child<QWidget>(itemType, name), Qt::LeftButton);
    }
    // No job runs and the view has every row it will get.
    bool filled(int itemType) const {
        return waitUntil([&] { return !frame.isBusy() && !child<QTimer>(itemType, "loadTimer")->isActive(); },
                         longWaitMs);
    }
    // Loads the category whole (the phones here are never empty) and waits for every row.
    bool load(int itemType) {
        frame.startFlushData(itemType);
        const int total = filled(itemType) ? MobrelApi_getItemTotalLoadedCount(itemType) : 0;
        return total > 0 && MobrelApi_getItemCurrentLoadedCount(itemType) >= total;
    }
    // "Select All" unchecked: the rows come again, all unchecked.
    bool uncheckAll(int itemType) const {
        click(itemType, "selectAllCheckBox");
        return filled(itemType) &&
               !columnTexts(tree(itemType), DeviceManager_BaseWidget::checkStateColumn).contains("2");
    }
};

void categoryRows() {
    QTest::addColumn<int>("itemType");
    QTest::newRow("contacts") << 0;
    QTest::newRow("conversations") << 1;
    QTest::newRow("calls") << 2;
}

}  // namespace

class ListViewsTest : public QObject {
    Q_OBJECT

public:
    explicit ListViewsTest(PhoneSim& phone) : sim(phone) {}

private slots:
    void fill_data() { categoryRows(); }

    void fill() {
        QFETCH(int, itemType);
        Browser b(!largePhone);
        GuiStallMeter meter;
        meter.start();
        b.frame.startFlushData(itemType);
        // Part way through the fill, a record without a row yet is not selected.
        QVERIFY(waitUntil([&] { return b.tree(itemType)->topLevelItemCount() > 0; }, longWaitMs));
        QVERIFY(marksFollowRows(itemType, b.tree(itemType)));
        QVERIFY(b.filled(itemType));
        meter.stop();
        qInfo("longest GUI stall while loading and listing the %s: %lld ms", QTest::currentDataTag(),
              meter.longestStallMs());
        QCOMPARE(visibleTexts(b.tree(itemType)), expectedRows(sim, itemType));
        QVERIFY(marksFollowRows(itemType, b.tree(itemType)));
        saveShot(&b.frame, QString("list-%1%2").arg(largePhone ? "large-" : "", QTest::currentDataTag()));
        // The call history view alone picks no row by itself; the others pick the first, whose details show.
        QCOMPARE(b.tree(itemType)->currentItem(), itemType == 2 ? nullptr : b.tree(itemType)->topLevelItem(0));
#ifndef __SANITIZE_ADDRESS__  // the sanitizer slows every allocation, Qt's painting too
        // The large phone's fills run alone (CTest's RUN_SERIAL): nothing else holds up the window.
        if (largePhone) QVERIFY(meter.longestStallMs() <= 100);
#endif
    }

    void contactDetails() {
        Browser b;
        QVERIFY(b.load(0));
        auto* name = b.child<QLabel>(0, "nameLabel");
        auto* details = b.child<QLabel>(0, "detailsLabel");
        const auto shownDetails = [&] { return QTextDocumentFragment::fromHtml(details->text()).toPlainText(); };
        // The first contact's, its texts shown as text.
        QCOMPARE(name->text(), QString("Name: ") + markupName);
        QCOMPARE(name->textFormat(), Qt::PlainText);
        QCOMPARE(shownDetails(), QString("Mobile: %1\nNote: %2\n").arg(ownMobile, comparison));

        // A click on a row's box changes its selection only; elsewhere on the row, the details.
        clickRow(b.tree(0), 2, true);
        QCOMPARE(b.tree(0)->topLevelItem(2)->checkState(0), Qt::Unchecked);
        QCOMPARE(name->text(), QString("Name: ") + markupName);
        QVERIFY(marksFollowRows(0, b.tree(0)));
        clickRow(b.tree(0), 2, false);
        QCOMPARE(b.tree(0)->topLevelItem(2)->checkState(0), Qt::Unchecked);
        QCOMPARE(name->text(), "Name: " + b.tree(0)->topLevelItem(2)->text(0));
        // The space key toggles the current row's box like a click.
        QTest::keyClick(b.tree(0), Qt::Key_Space);
        QCOMPARE(b.tree(0)->topLevelItem(2)->checkState(0), Qt::Checked);
        QVERIFY(marksFollowRows(0, b.tree(0)));
    }

    void conversationBubbles() {
        Browser b;
        QVERIFY(b.load(1));
        QWidget* view = b.view(1);
        auto* steps = b.child<QTimer>(1, "groupTimer");
        const auto laidOut = [&] { return waitUntil([&] { return !steps->isActive(); }, longWaitMs); };
        clickRow(b.tree(1), ownRow(b.tree(1), 1), false);
        QVERIFY(laidOut());
        saveShot(&b.frame, "messages-conversation");
        QCOMPARE(b.child<QLabel>(1, "conversationLabel")->text(), QString("%1 (%2)").arg(accentedName, accentedMobile));
        const QList<MyShowSmsItem*> bubbles = shownBubbles(view);
        QCOMPARE(bubbles.size(), int(std::size(ownMessages)));
        for (int i = 0; i < bubbles.size(); ++i) {  // line feeds come where the text wraps
            QCOMPARE(bubbleText(bubbles[i], "contentLabel").remove('\n'), QString(ownMessages[i].body).remove('\n'));
            QCOMPARE(bubbleText(bubbles[i], "dateLabel"), ownMessages[i].date);
        }
        QCOMPARE(bubbles[0]->findChild<QLabel*>("contentLabel")->textFormat(), Qt::PlainText);

        // Found by one of its messages, the conversation shows only that one.
        QTest::keyClicks(b.child<QLineEdit>(1, "searchLineEdit"), "A<B AND");
        QVERIFY(b.filled(1));
        QVERIFY(laidOut());
        const QList<MyShowSmsItem*> found = shownBubbles(view);
        QCOMPARE(found.size(), 1);
        QCOMPARE(bubbleText(found[0], "contentLabel"), comparison);
    }

    void search_data() {
        QTest::addColumn<int>("itemType");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("contact by name") << 0 << "robertqq" << 0 << QStringList{"Bobqq"};
        QTest::newRow("contact by nickname, blanks and case aside") << 0 << "  BOBQQ " << 0 << QStringList{"Bobqq"};
        QTest::newRow("contact by markup") << 0 << "<B>" << 0 << QStringList{markupName};
        QTest::newRow("calls by part of a number") << 2 << "0000 42" << 1 << QStringList{ownNumber, ownNumber};
        QTest::newRow("conversation by one of its messages") << 1 << "A<B AND" << 0 << QStringList{"Hi"};
        QTest::newRow("conversation by an accented name") << 1 << "zoË åNGQQ" << 0 << QStringList{"Hi"};
    }

    void search() {
        QFETCH(int, itemType);
        QFETCH(QString, key);
        QFETCH(int, column);
        QFETCH(QStringList, expected);
        Browser b;
        QVERIFY(b.load(itemType));
        const int all = b.tree(itemType)->topLevelItemCount();
        auto* line = b.child<QLineEdit>(itemType, "searchLineEdit");
        QTest::keyClicks(line, key);  // each key starts the fill again
        QVERIFY(b.filled(itemType));
        QCOMPARE(columnTexts(b.tree(itemType), column), expected);
        QVERIFY(marksFollowRows(itemType, b.tree(itemType)));  // the hidden records unselected

        line->selectAll();
        QTest::keyClick(line, Qt::Key_Backspace);
        QVERIFY(b.filled(itemType));
        QCOMPARE(b.tree(itemType)->topLevelItemCount(), all);
        QVERIFY(marksFollowRows(itemType, b.tree(itemType)));
    }

    void print_data() { categoryRows(); }
    void print() {
        QFETCH(int, itemType);
        Browser b;
        QVERIFY(b.load(itemType));
        QVERIFY(b.uncheckAll(itemType));
        QTreeWidget* tree = b.tree(itemType);
        const int row = ownRow(tree, itemType);
        QVERIFY(row >= 0);
        clickRow(tree, row, true);
        // The library leaves a group's names empty: the test lends it two.
        const void* record = recordOf(tree->topLevelItem(row));
        MobrelCallGroup* group = itemType == 2 ? static_cast<const MobrelCallLog*>(record)->group : nullptr;
        if (group) {
            group->reserved2 = text(comparison);
            group->reserved1 = text(longGroupName.constData());
        }
        const auto lentBack = qScopeGuard([&] {
            if (group) group->reserved1 = group->reserved2 = nullptr;
        });

        bool previewed = false;  // the preview shows the same pages
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
                previewed = true;
                preview->reject();
            }
        });
        closer.start(20);
        b.click(itemType, "printButton");
        QVERIFY(previewed);

        TempDir folder;
        const QString pdf = QString::fromStdString((folder.path() / "print.pdf").string());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        b.view(itemType)->PrintCurrentData_slots(&printer);
        const CommandResult pdfText = runCommand({"pdftotext", pdf.toStdString(), "-"});
        QCOMPARE(pdfText.exitCode, 0);
        // Wrapped lines put blanks and line ends anywhere: compared without them.
        const QString printed = QString::fromStdString(pdfText.out).remove(QRegularExpression("\\s"));
        const QString expected[] = {
            QString("Name:%1MobilePhone:%2Note:%3WorkAddress:%4")
                .arg(markupName, ownMobile, comparison, QString(1005, 'w')),
            QString("To:%1(%2)Date:2023-09-2710:00:00Content:%3From:%1(%2)Date:2023-09-2810:00:00Content:%4"
                    "To:%1(%2)Date:2023-09-2910:00:00Content:Hithere")
                .arg(accentedName, accentedMobile, comparison, QString(1600, 'v')),
            QString("CallIn:%1%2Phone:%3Date:2023-09-3010:00:00Duration:75"
                    "CallOut:%1%2Phone:%3Date:2023-09-2910:00:00Duration:5")
                .arg(comparison, QString(511, 'n'), ownNumber),
        };
        QCOMPARE(printed, QString(expected[itemType]).remove(' ') + "1");  // and the page's number at its foot
        // Cut for the page only, not in the records.
        const char* kept = itemType == 0   ? static_cast<const MobrelContact*>(record)->workAddress
                           : itemType == 1 ? static_cast<const MobrelSmsThread*>(record)->firstMessage->next->body
                                           : group->reserved1;
        QCOMPARE(qstrlen(kept), uint((itemType == 0 ? longAddress : itemType == 1 ? longBody : longGroupName).size()));
    }

    void deleteChecked_data() {
        QTest::addColumn<int>("itemType");
        QTest::addColumn<int>("stopKey");  // 0: no stop; Qt::Key_Enter: "Stop" pressed; Qt::Key_Escape: the box closed
        QTest::newRow("contacts") << 0 << 0;
        // Android 10: the phone's user makes the companion the messaging app, or never: "Stop" ends the wait.
        QTest::newRow("conversations") << 1 << 0;
        QTest::newRow("conversations, stopped while the phone asks") << 1 << int(Qt::Key_Enter);
        QTest::newRow("conversations, box closed while the phone asks") << 1 << int(Qt::Key_Escape);
    }

    void deleteChecked() {
        QFETCH(int, itemType);
        QFETCH(int, stopKey);
        const bool stop = stopKey != 0;
        Browser b;
        QVERIFY(b.load(itemType));
        QVERIFY(b.uncheckAll(itemType));
        // What a deletion names: a contact, or a message's conversation.
        const auto onPhone = [&] {
            std::set<long long> keys;
            for (const StoreRecord& r : readStore(sim.storePath(), itemType == 0 ? "contacts" : "messages"))
                keys.insert(r.number(itemType == 0 ? "id" : "thread"));
            return keys;
        };
        std::set<long long> kept = onPhone();
        for (int row : {1, 3}) {
            clickRow(b.tree(itemType), row, true);
            const void* record = recordOf(b.tree(itemType)->topLevelItem(row));
            if (!stop)
                kept.erase(std::stoll(itemType == 0 ? static_cast<const MobrelContact*>(record)->contactId
                                                    : static_cast<const MobrelSmsThread*>(record)->threadId));
        }
        phonesim::Faults faults;
        faults.neverAccept = stop;
        ScopedFaults asking(sim, faults);
        if (stop) {
            QTimer::singleShot(1500, [stopKey] {
                auto* box = qobject_cast<MyMessageBoxWidget*>(QApplication::activeModalWidget());
                if (!box) return;
                if (stopKey == Qt::Key_Escape)
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    box->OK_slots();
            });
        }
        b.click(itemType, "deleteButton");  // back when the busy box has closed
        QVERIFY(b.filled(itemType));        // loaded again
        QCOMPARE(onPhone(), kept);
        QCOMPARE(visibleTexts(b.tree(itemType)), expectedRows(sim, itemType));
    }

private:
    PhoneSim& sim;
};

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    largePhone = argc > 1 && std::strcmp(argv[1], "--large") == 0;
    if (largePhone) args.erase(args.begin() + 1);
    return execWithPhone<ListViewsTest>(int(args.size()), args.data(), {.dataset = largePhone ? "large" : "small"},
                                        largePhone ? nullptr : addOwnRecords);
}

#include "list_views_test.moc"
