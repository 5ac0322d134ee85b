// The widget kit driven with the mouse and keyboard. The program's images are
// not linked here, so this also shows that missing artwork breaks nothing.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "BackupItemWidget.h"
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
    void buttonStates_data() {
        QTest::addColumn<QString>("source");   // sprite or missing pictures
        QTest::addColumn<QString>("actions");
        QTest::addColumn<int>("state");        // the state whose picture is shown
        QTest::addColumn<QList<int>>("counts");  // clicked, Pressclicked, enterButton, leaveButton
        for (const QString source : {"sprite", "missing"}) {
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(source + " " + name)) << source;
            };
            row("idle") << "" << 0 << QList<int>{0, 0, 0, 0};
            row("hover") << "enter" << 1 << QList<int>{0, 0, 1, 0};
            row("pressed") << "enter press" << 2 << QList<int>{0, 1, 1, 0};
            row("released shows normal") << "enter press release" << 0 << QList<int>{1, 1, 1, 0};
            row("left") << "enter leave" << 0 << QList<int>{0, 0, 1, 1};
            row("disabled ignores the mouse")
                << "disable enter press release" << 3 << QList<int>{0, 0, 0, 0};
            row("enabled again") << "disable enable" << 0 << QList<int>{0, 0, 0, 0};
            row("restyled while hovered") << "enter restyle" << 1 << QList<int>{0, 0, 1, 0};
            row("restyled while disabled") << "disable restyle" << 3 << QList<int>{0, 0, 0, 0};
        }
    }
    void buttonStates() {
        QFETCH(QString, source);
        QFETCH(QString, actions);
        QFETCH(int, state);
        QFETCH(QList<int>, counts);

        QWidget window;
        window.resize(200, 100);
        auto* button = new MyPushButton(&window);
        if (source == "sprite") {
            button->setSpriteCells(makeSprite(), 0, 10, 10, 0, 12, 24, 36);
        } else {
            button->setStateImages("/missing/0.png", "/missing/1.png", "/missing/2.png", "/missing/3.png");
        }
        button->setLayoutMode(3);
        button->setButtonGeometry(20, 20, 40, 20);
        // Style sheets must not take the pictures away.
        button->setButtonStyles("QLabel { color: #123456; }", "QLabel { color: #654321; }");
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

        QCOMPARE(centreColour(button), source == "sprite" ? kCellColours[state] : kPlainColours[state]);
        QCOMPARE(button->shownState(), MyPushButton::State(state));
        QCOMPARE((QList<int>{int(clicked.count()), int(pressed.count()), int(entered.count()),
                             int(left.count())}),
                 counts);
        QCOMPARE(clickedSelf.count(), clicked.count());
        if (!clickedSelf.isEmpty()) QCOMPARE(clickedSelf.first().first().value<void*>(), button);
        if (actions.endsWith("press")) QTest::mouseRelease(button, Qt::LeftButton, {}, centre(button));
    }
    void messageBoxButtons_data() {
        QTest::addColumn<int>("icon");              // 3: the busy box
        QTest::addColumn<int>("leftMode");
        QTest::addColumn<int>("rightMode");
        QTest::addColumn<QString>("leftCaption");   // empty: hidden
        QTest::addColumn<QString>("rightCaption");  // empty: hidden
        QTest::addColumn<QString>("press");         // left, right or escape
        QTest::newRow("information") << 2 << 1 << 0 << "yes" << "" << "left";
        QTest::newRow("question, left") << 2 << 1 << 1 << "yes" << "cancel" << "left";
        QTest::newRow("question, right") << 2 << 1 << 1 << "yes" << "cancel" << "right";
        QTest::newRow("second captions") << 2 << 2 << 2 << "ok" << "no" << "left";
        QTest::newRow("right alone") << 2 << 0 << 1 << "" << "cancel" << "right";
        QTest::newRow("no buttons") << 2 << 0 << 0 << "" << "" << "escape";
        QTest::newRow("busy, stopped") << 3 << 1 << 0 << "yes" << "" << "left";
    }
    // Runs each box modally and answers it as a user would.
    void messageBoxButtons() {
        QFETCH(int, icon);
        QFETCH(int, leftMode);
        QFETCH(int, rightMode);
        QFETCH(QString, leftCaption);
        QFETCH(QString, rightCaption);
        QFETCH(QString, press);

        MyMessageBoxWidget box;
        box.setButtonTexts("yes", "cancel", "ok", "no");
        box.setContent("Tolvane Mobrel", "<b>not markup</b>", icon, leftMode, rightMode);

        auto* left = box.findChild<MyPushButton*>("leftButton");
        auto* right = box.findChild<MyPushButton*>("rightButton");
        bool checked = false;
        QTimer::singleShot(0, &box, [&] {
            QCOMPARE(left->isVisible(), !leftCaption.isEmpty());
            QCOMPARE(right->isVisible(), !rightCaption.isEmpty());
            if (!leftCaption.isEmpty()) QCOMPARE(left->text(), leftCaption);
            if (!rightCaption.isEmpty()) QCOMPARE(right->text(), rightCaption);
            QCOMPARE(box.findChild<QLabel*>("textLabel")->textFormat(), Qt::PlainText);
            QCOMPARE(box.findChild<QLabel*>("busyLabel")->isVisible(), icon == 3);
            QCOMPARE(box.findChild<QLabel*>("iconLabel")->isVisible(), icon != 3);
            checked = true;
        });
        QTimer::singleShot(0, &box, [&] {
            if (press == "left") QTest::mouseClick(left, Qt::LeftButton, {}, centre(left));
            if (press == "right") QTest::mouseClick(right, Qt::LeftButton, {}, centre(right));
            if (press == "escape") QTest::keyClick(&box, Qt::Key_Escape);
        });
        box.exec();
        QVERIFY(checked);
        QVERIFY(!box.isVisible() && !box.findChild<QLabel*>("busyLabel")->isVisible());
        QCOMPARE(box.isAccepted(), press == "left");
    }
    void itemCheckAndEnable() {
        BackupItemWidget item;
        item.setItemGeometry(0, 0, 300, 40);
        item.setItemText("Contacts (12)");
        item.show();
        QVERIFY(QTest::qWaitForWindowExposed(&item));
        auto* check = item.findChild<MyPushButton*>("checkButton");
        auto* name = item.findChild<QLabel*>("nameLabel");
        QSignalSpy clicked(&item, &BackupItemWidget::clicked);

        // (Ticking and unticking: the backup screen's test.)
        QTest::mouseClick(check, Qt::LeftButton, {}, centre(check));
        QTest::mouseClick(name, Qt::LeftButton, {}, centre(name));
        QCOMPARE(clicked.count(), 2);  // the check box's clicks reach the entry too
        QCOMPARE(clicked.last().first().value<void*>(), &item);

        item.setItemEnabled(false);
        QTest::mouseClick(check, Qt::LeftButton, {}, centre(check));
        QVERIFY(item.isChecked());
        item.setItemEnabled(true);
        QTest::mouseClick(check, Qt::LeftButton, {}, centre(check));
        QVERIFY(!item.isChecked());
    }
};

QTEST_MAIN(WidgetsTest)
#include "widgets_test.moc"
