#include "gui_stall_meter.h"

#include <QApplication>
#include <QThread>
#include <QTest>

class GuiStallMeterTest : public QObject
{
    Q_OBJECT

private slots:
    void blockedLoopIsReported()
    {
        GuiStallMeter meter;
        meter.start();
        bool done = false;
        QTimer::singleShot(20, [&done] {
            QThread::msleep(300);
            done = true;
        });
        QVERIFY(waitUntil([&done] { return done; }, 5000));
        meter.stop();
        QVERIFY2(meter.longestStallMs() >= 250, QByteArray::number(meter.longestStallMs()));
    }
};

QTEST_MAIN(GuiStallMeterTest)
#include "gui_stall_meter_test.moc"
