// What the widget tests against phonesim share: main() with one phone, screens laid out as the
// main window lays them out, message boxes answered as they come up, run folders' data files.
#pragma once

#include <QApplication>
#include <QJsonObject>
#include <QLabel>
#include <QSignalSpy>
#include <QStringList>
#include <QTimer>
#include <QtTest>

#include <cstdio>

#include "BackupItemWidget.h"
#include "datafile.h"
#include "library_e2e.h"

namespace mobreltest {

// main() of a widget test: the phone first (it moves HOME and the XDG folders), prepare(),
// then the application and the test object made with the phone.
template <class Test>
int execWithPhone(int argc, char** argv, const SimOptions& options, bool (*prepare)() = nullptr) {
    PhoneSim sim;
    const auto up = bringUp(sim, options);
    if (!up || (prepare && !prepare())) {
        fprintf(stderr, "phone did not come up or take the test's records: %s\n", up.message());
        return 1;
    }
    QApplication app(argc, argv);
    Test test(sim);
    return QTest::qExec(&test, argc, argv);
}

// Sizes, lays out and shows a screen as the main window does.
template <class Screen>
void showScreen(Screen& screen) {
    screen.resize(1022, 530);
    screen.layoutChildren();
    screen.loadImages();
    screen.setLanguageTexts();
    screen.show();
}

// The backup or restore screen's six entries as read: "Contacts (3)", " off" when disabled,
// " ticked" when ticked, and where the box is hidden the status in its place: " [Waiting]", " []".
template <class Screen>
QStringList entryLines(const Screen& screen) {
    QStringList lines;
    for (int type = 0; type < 6; ++type) {
        const BackupItemWidget* item = screen.categoryItem(type);
        const auto* status = item->findChild<QLabel*>("statusLabel");
        lines << item->findChild<QLabel*>("nameLabel")->text() + (item->isItemEnabled() ? "" : " off") +
                     (item->isChecked() ? " ticked" : "") +
                     (item->findChild<QWidget*>("checkButton")->isVisible()
                          ? ""
                          : " [" + (status->isVisible() ? status->text() : "") + "]");
    }
    return lines;
}

// The first argument of every signal a spy caught, such as navigationEnabled(bool).
inline QList<bool> boolArguments(const QSignalSpy& spy) {
    QList<bool> values;
    for (const QList<QVariant>& arguments : spy) values << arguments.value(0).toBool();
    return values;
}

// With MOBREL_SHOTS naming a folder, saves the widget there as name.png, to look at.
void saveShot(QWidget* widget, const QString& name);

// Answers message boxes as they come up: notes "title|text" and clicks the right button, or the
// left one when left is set or the right one is hidden. With only set, boxes of other titles stay.
class BoxAnswerer {
public:
    BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    bool waitForBox(int timeoutMs = 300000) const;  // until a box is noted

    QStringList boxes;
    bool left = false;
    QString only;

private:
    QTimer timer_;
};

// The connected phone's brand and model as the library reports them, and its name as shown.
struct PhoneName {
    QString brand, model, shown;
};
PhoneName connectedPhone();

// What the phone lists of a category (itemType 0 ... 5), by its store and files.
size_t storeCount(const PhoneSim& sim, int itemType);

QJsonObject readDataJson(const QString& run, DataFile file);  // with Qt's JSON, apart from the program's readers
// Writes a run's data file as the program does: its prefix, the JSON, ";".
void writeDataFile(const QString& run, DataFile file, const QByteArray& json);

}  // namespace mobreltest
