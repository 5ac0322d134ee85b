// The contacts and call history views against phonesim behind the real adb:
// the fill, the contact's details, search, selection with export, printing and
// deletion on the small phone with a few records of the test's own; and the
// fill of the large phone's contacts without holding up the window. One phone
// serves a process and the functions run in order.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
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

#include "DeviceManagerWidget.h"
#include "DeviceManager_BaseWidget.h"
#include "MobrelBackupWidget.h"
#include "MyMessageBoxWidget.h"
#include "base/listheads.h"
#include "gui_stall_meter.h"
#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"
#include "store_files.h"

using namespace mobreltest;

namespace {

constexpr int longWaitMs = 300000;

// The test's own records. The library lists the newest contact first, so the
// last one added is the first row.
const char* const markupName = "<b>x";
const char* const ownMobile = "+99 555 0100";
const char* const comparison = "if a<b and c>d";
const char* const ownNumber = "+99 0000 4242";
const QByteArray longAddress(1500, 'w');
const QByteArray longGroupName(600, 'n');

char* text(const char* value) { return const_cast<char*>(value); }

bool addOwnRecords() {
    MobrelContact bob{};
    bob.name = text("Robertqq Zed");
    bob.nickname = text("Bobqq");
    bob.mobilePhone = text("+99 555 0199");
    MobrelContact markup{};
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
    return MobrelApi_AddPerson(&bob) == 0 && MobrelApi_AddPerson(&markup) == 0 && MobrelApi_AddCallHistory(&in) == 1 &&
           MobrelApi_AddCallHistory(&out) == 1;
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
    for (const MobrelCallGroup* g = callGroupListHead; itemType == 2 && g; g = g->next)
        for (const MobrelCallLog* e = g->firstEntry; e; e = e->next)
            if (!follows(e, e->checkMark)) return false;
    return true;
}

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

// The values of each line of a CSV file after its header line.
QList<QStringList> csvValues(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts).mid(1);
    static const QRegularExpression value("\"((?:[^\"]|\"\")*)\"");
    QList<QStringList> rows;
    for (const QString& line : lines) {
        QStringList values;
        for (auto it = value.globalMatch(line); it.hasNext();) values << it.next().captured(1).replace("\"\"", "\"");
        rows << values;
    }
    return rows;
}

// The data browser with the backup screen's export entry, built as the main window builds them.
struct Browser {
    DeviceManagerWidget frame{nullptr};
    MobrelBackupWidget backup;
    QTimer answerer;  // answers "Backup finished" with "Cancel", so that no file manager opens
    int answered = 0;

    Browser() {
        frame.setExportEntry([this](int itemType, ExportingView* view) { return backup.startExport(itemType, view); },
                             [this] { backup.stopWorker(); });
        backup.worker()->setPacing(0, 0);
        frame.resize(1022, 530);
        frame.layoutChildren();
        frame.loadImages();
        frame.setLanguageTexts();
        frame.show();
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<MyMessageBoxWidget*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->findChild<QLabel*>("titleLabel")->text() != "Backup finished") return;
            ++answered;
            box->No_slots();
        });
        answerer.start(20);
    }
    DeviceManager_BaseWidget* view(int itemType) const {
        return static_cast<DeviceManager_BaseWidget*>(frame.categoryView(itemType));
    }
    template <class Child>
    Child* child(int itemType, const char* name) const {
        return view(itemType)->findChild<Child*>(name);
    }
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

}  // namespace

class ListViewsTest : public QObject {
    Q_OBJECT

public:
    explicit ListViewsTest(PhoneSim& phone) : sim(phone) {}

private slots:
    void fill_data();
    void fill();
    void contactDetails();
    void search_data();
    void search();
    void exportChecked_data();
    void exportChecked();
    void print_data();
    void print();
    void deleteChecked();

private:
    PhoneSim& sim;
};

void ListViewsTest::fill_data() {
    QTest::addColumn<int>("itemType");
    QTest::newRow("contacts") << 0;
    QTest::newRow("calls") << 2;
}

void ListViewsTest::fill() {
    QFETCH(int, itemType);
    Browser b;
    b.frame.startFlushData(itemType);
    // Part way through the fill, a record without a row yet is not selected.
    QVERIFY(waitUntil([&] { return b.tree(itemType)->topLevelItemCount() > 0; }, longWaitMs));
    QVERIFY(marksFollowRows(itemType, b.tree(itemType)));
    QVERIFY(b.filled(itemType));
    QCOMPARE(visibleTexts(b.tree(itemType)), expectedRows(sim, itemType));
    QVERIFY(marksFollowRows(itemType, b.tree(itemType)));
    // Only the contacts view picks a row by itself: the first, whose details show.
    QCOMPARE(b.tree(itemType)->currentItem(), itemType == 0 ? b.tree(0)->topLevelItem(0) : nullptr);
}

void ListViewsTest::contactDetails() {
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

void ListViewsTest::search_data() {
    QTest::addColumn<int>("itemType");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("contact by name") << 0 << "robertqq" << 0 << QStringList{"Bobqq"};
    QTest::newRow("contact by nickname, blanks and case aside") << 0 << "  BOBQQ " << 0 << QStringList{"Bobqq"};
    QTest::newRow("contact by markup") << 0 << "<B>" << 0 << QStringList{markupName};
    QTest::newRow("calls by part of a number") << 2 << "0000 42" << 1 << QStringList{ownNumber, ownNumber};
}

void ListViewsTest::search() {
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

void ListViewsTest::exportChecked_data() {
    QTest::addColumn<int>("itemType");
    QTest::addColumn<QList<int>>("places");
    QTest::newRow("contacts") << 0 << QList<int>{1, 3};
    // A call group is exported whole when its first call is selected: the places are groups.
    QTest::newRow("call groups") << 2 << QList<int>{0, 2};
}

void ListViewsTest::exportChecked() {
    QFETCH(int, itemType);
    QFETCH(QList<int>, places);
    Browser b;
    QVERIFY(b.load(itemType));
    QVERIFY(b.uncheckAll(itemType));
    QTreeWidget* tree = b.tree(itemType);
    QList<QStringList> expected;
    const MobrelCallGroup* group = nullptr;
    for (int row = 0, groups = -1; row < tree->topLevelItemCount(); ++row) {
        const void* record = recordOf(tree->topLevelItem(row));
        if (itemType == 0) {
            if (!places.contains(row)) continue;
            const auto* c = static_cast<const MobrelContact*>(record);
            expected << QStringList{QString::fromUtf8(c->name) + QString::fromUtf8(c->nameExtra),
                                    QString::fromUtf8(c->mobilePhone)};
        } else {
            const auto* e = static_cast<const MobrelCallLog*>(record);
            if (e->group != group) ++groups;
            group = e->group;
            if (!places.contains(groups)) continue;
            expected << QStringList{e->number, e->date};
        }
        clickRow(tree, row, true);
    }
    QCOMPARE(b.child<QCheckBox>(itemType, "selectAllCheckBox")->checkState(), Qt::Checked);  // one row checks it

    b.click(itemType, "exportButton");  // back when the busy box has closed
    QCOMPARE(b.answered, 1);
    const QString run = b.backup.worker()->runFolder;
    QList<QStringList> written;
    for (const QStringList& values :
         csvValues(run + (itemType == 0 ? "/Contacts/Contacts.csv" : "/CallHistory/CallHistory.csv")))
        written << (itemType == 0 ? values.mid(0, 2) : values.mid(1, 2));
    QCOMPARE(written, expected);
    QVERIFY(b.child<QWidget>(itemType, "searchLineEdit")->isEnabled());
}

void ListViewsTest::print_data() {
    QTest::addColumn<int>("itemType");
    QTest::newRow("contacts") << 0;
    QTest::newRow("calls") << 2;
}

void ListViewsTest::print() {
    QFETCH(int, itemType);
    Browser b;
    QVERIFY(b.load(itemType));
    QVERIFY(b.uncheckAll(itemType));
    QTreeWidget* tree = b.tree(itemType);
    const int row = columnTexts(tree, itemType == 0 ? 0 : 1).indexOf(itemType == 0 ? markupName : ownNumber);
    QVERIFY(row >= 0);
    clickRow(tree, row, true);
    // The library leaves a group's names empty: the test lends it two.
    MobrelCallGroup* group = itemType == 2 ? static_cast<const MobrelCallLog*>(recordOf(tree->topLevelItem(row)))->group
                                           : nullptr;
    if (group) {
        group->reserved2 = text(comparison);
        group->reserved1 = text(longGroupName.constData());
    }
    const auto lentBack = qScopeGuard([&] {
        if (group) group->reserved1 = group->reserved2 = nullptr;
    });

    // The preview shows the same pages.
    bool previewed = false;
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
    QString expected = itemType == 0 ? QString("Name:%1MobilePhone:%2Note:%3WorkAddress:%4")
                                           .arg(markupName, ownMobile, comparison, QString(1005, 'w'))
                                     : QString("CallIn:%1%2Phone:%3Date:2023-09-3010:00:00Duration:75"
                                               "CallOut:%1%2Phone:%3Date:2023-09-2910:00:00Duration:5")
                                           .arg(comparison, QString(511, 'n'), ownNumber);
    QCOMPARE(printed, expected.remove(' ') + "1");  // and the page's number at its foot
    // Cut for the page only, not in the records.
    if (group) QCOMPARE(qstrlen(group->reserved1), uint(longGroupName.size()));
    if (itemType == 0)
        QCOMPARE(qstrlen(static_cast<const MobrelContact*>(recordOf(tree->topLevelItem(row)))->workAddress),
                 uint(longAddress.size()));
}

void ListViewsTest::deleteChecked() {
    Browser b;
    QVERIFY(b.load(0));
    QVERIFY(b.uncheckAll(0));
    std::set<long long> ids;
    for (const auto& [id, record] : storeById(sim.storePath(), "contacts")) ids.insert(id);
    for (int row : {1, 3}) {
        clickRow(b.tree(0), row, true);
        ids.erase(std::stoll(static_cast<const MobrelContact*>(recordOf(b.tree(0)->topLevelItem(row)))->contactId));
    }
    b.click(0, "deleteButton");  // back when the busy box has closed
    QVERIFY(b.filled(0));        // loaded again
    std::set<long long> left;
    for (const auto& [id, record] : storeById(sim.storePath(), "contacts")) left.insert(id);
    QCOMPARE(left, ids);
    QCOMPARE(b.tree(0)->topLevelItemCount(), int(ids.size()));
}

// The large phone's contacts fill the list without holding up the window.
class LargeFillTest : public QObject {
    Q_OBJECT

private slots:
    void contactsFill() {
        Browser b;
        GuiStallMeter meter;
        meter.start();
        QVERIFY(b.load(0));
        meter.stop();
        qInfo("longest GUI stall while loading and listing the contacts: %lld ms", meter.longestStallMs());
        QCOMPARE(b.tree(0)->topLevelItemCount(), MobrelApi_GetPersonCount());
#ifndef __SANITIZE_ADDRESS__  // the sanitizer slows every allocation, Qt's painting too
        QVERIFY(meter.longestStallMs() <= 100);
#endif
    }
};

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    const bool large = argc > 1 && std::strcmp(argv[1], "--large") == 0;
    if (large) args.erase(args.begin() + 1);
    // The phone first: it points HOME and the XDG folders at its own temporary folder.
    PhoneSim sim;
    const auto up = bringUp(sim, {.dataset = large ? "large" : "small"});
    if (!up || (!large && !addOwnRecords())) {
        fprintf(stderr, "phone did not come up: %s\n", up.message());
        return 1;
    }
    int count = int(args.size());
    QApplication app(count, args.data());
    if (large) {
        LargeFillTest test;
        return QTest::qExec(&test, count, args.data());
    }
    ListViewsTest test(sim);
    return QTest::qExec(&test, count, args.data());
}

#include "list_views_test.moc"
