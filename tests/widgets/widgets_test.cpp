// The widget kit driven with the mouse and keyboard. The program's images are
// not linked here, so this also shows that missing artwork breaks nothing.
#include <QApplication>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "BackupItemWidget.h"
#include "MyLabel.h"
#include "MyLinkPushButton.h"
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"

namespace {

// Sprite cells, one per state, 10 × 10 at x 0 and y 0, 12, 24, 36.
const QColor kCellColours[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
// What a button without pictures shows, per state.
const QColor kPlainColours[4] = {Qt::gray, Qt::lightGray, Qt::darkGray, Qt::gray};

QPixmap makeSprite() {
    QPixmap sprite(10, 46);
    sprite.fill(Qt::magenta);
    QPainter painter(&sprite);
    for (int state = 0; state < 4; ++state) painter.fillRect(0, state * 12, 10, 10, kCellColours[state]);
    painter.end();
    return sprite;
}

QColor centreColour(QWidget* widget) {
    return widget->grab().toImage().pixelColor(widget->width() / 2, widget->height() / 2);
}

QPoint centre(QWidget* widget) { return widget->rect().center(); }

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void buttonStates_data();
    void buttonStates();
    void buttonLayoutModes();
    void linkButton();
    void messageBoxButtons_data();
    void messageBoxButtons();
    void messageBoxBusyAndDrag();
    void itemStatus_data();
    void itemStatus();
    void itemCheckAndEnable();
    void itemHover();

private:
    QTemporaryDir imageDir;
};

void WidgetsTest::buttonStates_data() {
    QTest::addColumn<QString>("source");   // sprite, files, plain or missing pictures
    QTest::addColumn<QString>("actions");
    QTest::addColumn<int>("state");        // the state whose picture is shown
    QTest::addColumn<QList<int>>("counts");  // clicked, Pressclicked, enterButton, leaveButton
    for (const QString source : {"sprite", "files", "plain", "missing"}) {
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::newRow(qPrintable(source + " " + name)) << source;
        };
        row("idle") << "" << 0 << QList<int>{0, 0, 0, 0};
        row("hover") << "enter" << 1 << QList<int>{0, 0, 1, 0};
        row("pressed") << "enter press" << 2 << QList<int>{0, 1, 1, 0};
        row("released shows normal") << "enter press release" << 0 << QList<int>{1, 1, 1, 0};
        row("left") << "enter leave" << 0 << QList<int>{0, 0, 1, 1};
        row("disabled") << "disable" << 3 << QList<int>{0, 0, 0, 0};
        row("disabled ignores the mouse")
            << "disable enter press release" << 3 << QList<int>{0, 0, 0, 0};
        row("enabled again") << "disable enable" << 0 << QList<int>{0, 0, 0, 0};
        row("restyled while hovered") << "enter restyle" << 1 << QList<int>{0, 0, 1, 0};
        row("restyled while disabled") << "disable restyle" << 3 << QList<int>{0, 0, 0, 0};
    }
}

void WidgetsTest::buttonStates() {
    QFETCH(QString, source);
    QFETCH(QString, actions);
    QFETCH(int, state);
    QFETCH(QList<int>, counts);

    QWidget window;
    window.resize(200, 100);
    auto* button = new MyPushButton(&window);
    if (source == "sprite") {
        button->setSpriteCells(makeSprite(), 0, 10, 10, 0, 12, 24, 36);
    } else if (source == "files" || source == "missing") {
        QStringList paths;
        for (int i = 0; i < 4; ++i) {
            paths << imageDir.filePath(source + QString::number(i) + ".png");
            if (source == "files") {
                QImage cell(8, 8, QImage::Format_RGB32);
                cell.fill(kCellColours[i]);
                QVERIFY(cell.save(paths.last()));
            }
        }
        button->setStateImages(paths[0], paths[1], paths[2], paths[3]);
    }
    button->setLayoutMode(3);
    button->setButtonGeometry(20, 20, 40, 20);
    // Style sheets must not take the pictures away.
    if (source == "sprite") {
        button->setButtonStyles("QLabel { color: #123456; }", "QLabel { color: #654321; }");
    }
    button->setButtonEnabled(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseMove(&window, QPoint(150, 80));

    QSignalSpy clicked(button, &MyPushButton::clicked);
    QSignalSpy clickedSelf(button, &MyPushButton::clickedSelf);
    QSignalSpy pressed(button, &MyPushButton::Pressclicked);
    QSignalSpy entered(button, &MyPushButton::enterButton);
    QSignalSpy left(button, &MyPushButton::leaveButton);
    for (const QString& action : actions.split(' ', Qt::SkipEmptyParts)) {
        if (action == "enter") QTest::mouseMove(button, centre(button));
        if (action == "leave") QTest::mouseMove(&window, QPoint(150, 80));
        if (action == "press") QTest::mousePress(button, Qt::LeftButton, {}, centre(button));
        if (action == "release") QTest::mouseRelease(button, Qt::LeftButton, {}, centre(button));
        if (action == "disable") button->setButtonEnabled(false);
        if (action == "enable") button->setButtonEnabled(true);
        if (action == "restyle") button->setStyleSheet("QLabel { color: #abcdef; }");
    }

    const bool pictures = source == "sprite" || source == "files";
    QCOMPARE(centreColour(button), pictures ? kCellColours[state] : kPlainColours[state]);
    QCOMPARE(button->shownState(), MyPushButton::State(state));
    QCOMPARE((QList<int>{int(clicked.count()), int(pressed.count()), int(entered.count()),
                         int(left.count())}),
             counts);
    QCOMPARE(clickedSelf.count(), clicked.count());
    if (!clickedSelf.isEmpty()) QCOMPARE(clickedSelf.first().first().value<void*>(), button);
    if (actions.endsWith("press")) QTest::mouseRelease(button, Qt::LeftButton, {}, centre(button));
}

void WidgetsTest::buttonLayoutModes() {
    QWidget window;
    window.resize(200, 100);
    auto* button = new MyPushButton(&window);
    button->setSpriteCells(makeSprite(), 0, 10, 10, 0, 12, 24, 36);
    button->setLayoutMode(5);
    button->setButtonGeometry(10, 10, 60, 60);
    QVERIFY(button->iconLabel() && button->captionLabel());
    button->iconLabel()->setGeometry(10, 0, 40, 40);  // the owner places the sub-labels
    button->captionLabel()->setGeometry(0, 40, 60, 20);
    button->setButtonText("Device");
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(button->captionLabel()->text(), QString("Device"));
    QVERIFY(button->text().isEmpty());
    QCOMPARE(centreColour(button->iconLabel()), kCellColours[0]);
    QTest::mouseMove(button->iconLabel(), centre(button->iconLabel()));
    QCOMPARE(centreColour(button->iconLabel()), kCellColours[1]);

    button->setLayoutMode(6);
    QVERIFY(!button->iconLabel());
    QCOMPARE(button->captionLabel()->text(), QString("Device"));
    QCOMPARE(centreColour(button), kCellColours[1]);

    button->setLayoutMode(0);
    QVERIFY(!button->iconLabel() && !button->captionLabel());
    QVERIFY(!button->autoFillBackground());
    button->setButtonText("Ver: 1.0.4");
    QCOMPARE(button->text(), QString("Ver: 1.0.4"));
}

void WidgetsTest::linkButton() {
    QWidget window;
    window.resize(200, 100);
    auto* link = new MyLinkPushButton(&window);
    link->setGeometry(10, 10, 100, 20);
    link->setLinkTexts("normal", "hover", "pressed");
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseMove(&window, QPoint(150, 80));
    QSignalSpy clicked(link, &MyLinkPushButton::clicked);

    QTest::mouseMove(link, centre(link));
    QCOMPARE(link->text(), QString("hover"));
    QTest::mousePress(link, Qt::LeftButton, {}, centre(link));
    QCOMPARE(link->text(), QString("pressed"));
    QTest::mouseRelease(link, Qt::LeftButton, {}, centre(link));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(link->text(), QString("pressed"));
    QTest::mouseMove(&window, QPoint(150, 80));
    QCOMPARE(link->text(), QString("normal"));
}

void WidgetsTest::messageBoxButtons_data() {
    QTest::addColumn<int>("leftMode");
    QTest::addColumn<int>("rightMode");
    QTest::addColumn<QString>("leftCaption");   // empty: hidden
    QTest::addColumn<QString>("rightCaption");  // empty: hidden
    QTest::addColumn<QString>("press");         // left, right or escape
    QTest::newRow("information") << 1 << 0 << "yes" << "" << "left";
    QTest::newRow("question, left") << 1 << 1 << "yes" << "cancel" << "left";
    QTest::newRow("question, right") << 1 << 1 << "yes" << "cancel" << "right";
    QTest::newRow("second captions") << 2 << 2 << "ok" << "no" << "left";
    QTest::newRow("right alone") << 0 << 1 << "" << "cancel" << "right";
    QTest::newRow("no buttons") << 0 << 0 << "" << "" << "escape";
}

// Runs each box modally and answers it as a user would.
void WidgetsTest::messageBoxButtons() {
    QFETCH(int, leftMode);
    QFETCH(int, rightMode);
    QFETCH(QString, leftCaption);
    QFETCH(QString, rightCaption);
    QFETCH(QString, press);

    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 1024, 640);
    mainWindow.show();
    MyMessageBoxWidget box;
    box.setButtonTexts("yes", "cancel", "ok", "no");
    box.setContent("Tolvane Mobrel", "<b>not markup</b>", 2, leftMode, rightMode);
    box.centerOver(&mainWindow);
    QCOMPARE(box.pos(), QPoint(100 + (1024 - 630) / 2, 100 + (640 - 250) / 2));

    auto* left = box.findChild<MyPushButton*>("leftButton");
    auto* right = box.findChild<MyPushButton*>("rightButton");
    bool checked = false;
    QTimer::singleShot(0, &box, [&] {
        QCOMPARE(left->isVisible(), !leftCaption.isEmpty());
        QCOMPARE(right->isVisible(), !rightCaption.isEmpty());
        if (!leftCaption.isEmpty()) QCOMPARE(left->text(), leftCaption);
        if (!rightCaption.isEmpty()) QCOMPARE(right->text(), rightCaption);
        // One button sits in the right-hand place; two share the row.
        const int nearX = box.width() - 140;
        if (left->isVisible()) QCOMPARE(left->x(), right->isVisible() ? box.width() - 280 : nearX);
        if (right->isVisible()) QCOMPARE(right->x(), nearX);
        QCOMPARE(box.findChild<QLabel*>("textLabel")->textFormat(), Qt::PlainText);
        checked = true;
    });
    QTimer::singleShot(0, &box, [&] {
        if (press == "left") QTest::mouseClick(left, Qt::LeftButton, {}, centre(left));
        if (press == "right") QTest::mouseClick(right, Qt::LeftButton, {}, centre(right));
        if (press == "escape") QTest::keyClick(&box, Qt::Key_Escape);
    });
    box.exec();
    QVERIFY(checked);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.isAccepted(), press == "left");
}

void WidgetsTest::messageBoxBusyAndDrag() {
    MyMessageBoxWidget box;
    box.setButtonTexts("Stop", "Stop", "Stop", "Stop");
    box.setContent("Tolvane Mobrel", "Please wait... ", 3, 1, 0);
    box.move(200, 200);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto* busy = box.findChild<QLabel*>("busyLabel");
    QVERIFY(busy->isVisible() && busy->movie());
    QVERIFY(!box.findChild<QLabel*>("iconLabel")->isVisible());

    // Dragging by an empty spot moves the box by the pointer's offset.
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(10, 100));
    QTest::mouseMove(&box, QPoint(40, 120));
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(40, 120));
    QCOMPARE(box.pos(), QPoint(230, 220));

    auto* stop = box.findChild<MyPushButton*>("leftButton");
    QCOMPARE(stop->text(), QString("Stop"));
    QTest::mouseClick(stop, Qt::LeftButton, {}, centre(stop));
    QVERIFY(!box.isVisible());
    QVERIFY(!busy->isVisible());
    QVERIFY(box.isAccepted());
}

void WidgetsTest::itemStatus_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("checkBox");
    QTest::addColumn<QString>("text");  // empty: no status text
    QTest::addColumn<bool>("busy");
    QTest::newRow("0 check box") << 0 << true << "" << false;
    QTest::newRow("1 waiting") << 1 << false << "Waiting" << false;
    QTest::newRow("2 running") << 2 << false << "" << true;
    QTest::newRow("3 success") << 3 << false << "Success" << false;
    QTest::newRow("4 nothing") << 4 << false << "" << false;
}

void WidgetsTest::itemStatus() {
    QFETCH(int, status);
    QFETCH(bool, checkBox);
    QFETCH(QString, text);
    QFETCH(bool, busy);
    BackupItemWidget item;
    item.setItemGeometry(0, 0, 300, 40);
    item.show();
    item.setStatus(2);  // each status must also undo the one before
    item.setStatus(status);
    QCOMPARE(item.findChild<MyPushButton*>("checkButton")->isVisible(), checkBox);
    auto* statusLabel = item.findChild<QLabel*>("statusLabel");
    QCOMPARE(statusLabel->isVisible(), !text.isEmpty());
    if (!text.isEmpty()) QCOMPARE(statusLabel->text(), text);
    QCOMPARE(item.findChild<QLabel*>("busyLabel")->isVisible(), busy);
}

void WidgetsTest::itemCheckAndEnable() {
    BackupItemWidget item;
    item.setItemGeometry(0, 0, 300, 40);
    item.setItemText("Contacts (12)");
    item.show();
    QVERIFY(QTest::qWaitForWindowExposed(&item));
    auto* check = item.findChild<MyPushButton*>("checkButton");
    auto* name = item.findChild<QLabel*>("nameLabel");
    QSignalSpy clicked(&item, &BackupItemWidget::clicked);

    QVERIFY(!item.isChecked());
    QTest::mouseClick(check, Qt::LeftButton, {}, centre(check));
    QVERIFY(item.isChecked());
    QTest::mouseClick(check, Qt::LeftButton, {}, centre(check));
    QVERIFY(!item.isChecked());
    QTest::mouseClick(name, Qt::LeftButton, {}, centre(name));
    QCOMPARE(clicked.count(), 3);  // the check box's clicks reach the entry too
    QCOMPARE(clicked.last().first().value<void*>(), &item);
    QVERIFY(name->styleSheet().contains("#42586a"));

    item.setItemEnabled(false);
    QVERIFY(name->styleSheet().contains("#b9b8b8"));
    QTest::mouseClick(check, Qt::LeftButton, {}, centre(check));
    QVERIFY(!item.isChecked());
    item.setItemText("Contacts (0)");
    QVERIFY(name->styleSheet().contains("#b9b8b8"));

    item.setItemEnabled(true);
    QVERIFY(name->styleSheet().contains("#42586a"));
    QTest::mouseClick(check, Qt::LeftButton, {}, centre(check));
    QVERIFY(item.isChecked());
}

void WidgetsTest::itemHover() {
    QWidget window;
    window.resize(400, 200);
    auto* item = new BackupItemWidget(&window);
    item->setItemGeometry(10, 10, 300, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* frame = item->findChild<QLabel*>("hoverFrame");
    for (const bool highlight : {false, true}) {
        item->setHoverHighlight(highlight);
        QTest::mouseMove(&window, QPoint(350, 150));
        QTest::mouseMove(item, centre(item));
        QCOMPARE(frame->isVisible(), highlight);
        QTest::mouseMove(&window, QPoint(350, 150));
        QVERIFY(!frame->isVisible());
    }
    item->showHighlight();
    QVERIFY(frame->isVisible());
}

QTEST_MAIN(WidgetsTest)
#include "widgets_test.moc"
