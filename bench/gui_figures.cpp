#include "gui_figures.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <vector>

#include "BackupItemWidget.h"
#include "DeviceManagerWidget.h"
#include "DeviceManager_BaseWidget.h"
#include "MobrelBackupWidget.h"
#include "MobrelDeviceWidget.h"
#include "MobrelMainWidget.h"
#include "MobrelRestoreWidget.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "UpdateService.h"
#include "backuplist.h"
#include "gui_stall_meter.h"
#include "mobrelclient.h"
#include "runfiles.h"
#include "screen_kit.h"
#include "startup.h"

namespace bench {

namespace {

constexpr int kCategories = 6;
constexpr int kLongWaitMs = 3600000;
const char* const kKeys[kCategories] = {"contacts", "messages", "calls", "photos", "videos", "music"};

double mb(qint64 bytes) { return bytes / 1e6; }
double rate(qint64 bytes, double seconds) { return seconds > 0 ? mb(bytes) / seconds : 0; }
std::string text(const QString& s) { return s.toStdString(); }

// The bytes and files below a folder (or of one file).
struct Sizes {
    qint64 bytes = 0;
    int files = 0;
};

Sizes sizeOf(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile()) return {info.size(), 1};
    Sizes s;
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        s.bytes += it.fileInfo().size();
        ++s.files;
    }
    return s;
}

// A plain read/write loop over the files of one file or tree; false on any failure.
// Not QFile::copy: it may clone a file on the disk without reading or writing a byte.
bool plainCopy(const QString& from, const QString& to) {
    std::vector<char> buffer(1 << 16);
    const auto copyFile = [&](const QString& source, const QString& target) {
        const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        bool ok = in >= 0 && out >= 0;
        for (ssize_t n = 0; ok && (n = ::read(in, buffer.data(), buffer.size())) != 0;) {
            ok = n > 0 && ::write(out, buffer.data(), static_cast<size_t>(n)) == n;
        }
        if (in >= 0) ::close(in);
        if (out >= 0) ::close(out);
        return ok;
    };
    if (QFileInfo(from).isFile()) return QDir().mkpath(QFileInfo(to).path()) && copyFile(from, to);
    if (!QDir().mkpath(to)) return false;
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir() ? !QDir().mkpath(target) : !copyFile(source, target)) return false;
    }
    return true;
}

// The time a plain copy of these parts of a run folder takes, beside it on the same
// disk; negative when the copy failed.
double plainCopySeconds(const QString& run, const QStringList& parts) {
    const QString copy = run + ".plaincopy";
    QElapsedTimer clock;
    clock.start();
    bool ok = true;
    for (const QString& part : parts) ok = ok && plainCopy(run + "/" + part, copy + "/" + part);
    const double seconds = clock.nsecsElapsed() / 1e9;
    QDir(copy).removeRecursively();
    return ok ? seconds : -1;
}

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// Ticks exactly the enabled entries of a backup or restore screen.
template <class Screen>
void tickAll(Screen& screen) {
    for (int type = 0; type < kCategories; ++type) {
        BackupItemWidget* item = screen.categoryItem(type);
        if (item->isItemEnabled() && !item->isChecked()) click(item->findChild<QWidget*>("checkButton"));
    }
}

// When each category of a running worker was first seen at work and seen done,
// in ms of the run's clock, polled every millisecond; and when the worker ended.
template <class Worker>
class Timeline {
public:
    Timeline(Worker& worker, quint8 working, quint8 done) : worker_(worker), working_(working), done_(done) {
        // The timer is the context: the connection ends with this timeline.
        QObject::connect(&worker, &QThread::finished, &poll_, [this] { end = clock.elapsed(); }, Qt::DirectConnection);
        poll_.setTimerType(Qt::PreciseTimer);
        poll_.setInterval(1);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            for (int type = 0; type < kCategories; ++type) {
                const quint8 state = worker_.categoryState[type];
                if (state >= working_ && started[type] < 0) started[type] = clock.elapsed();
                if (state == done_ && ended[type] < 0) ended[type] = clock.elapsed();
            }
        });
    }
    void start() {
        started.fill(-1);
        ended.fill(-1);
        end = -1;
        clock.start();
        poll_.start();
    }
    void stop() { poll_.stop(); }
    double seconds(int type) const { return ended[type] >= started[type] ? (ended[type] - started[type]) / 1000.0 : 0; }

    QElapsedTimer clock;
    std::array<qint64, kCategories> started{}, ended{};
    std::atomic<qint64> end{-1};  // stamped on the worker's thread

private:
    Worker& worker_;
    quint8 working_, done_;
    QTimer poll_;
};

class WindowBench {
public:
    explicit WindowBench(Report& report) : report_(report) {
        prepareApplication(QCoreApplication::applicationDirPath());
        window_.updateCheckerObject()->service().setServer(QUrl(QStringLiteral("http://127.0.0.1:9")));
        window_.backupWidget()->worker()->setPacing(0, 0);
        window_.restoreWidget()->worker()->setPacing(0, 0, 0);
        window_.show();
    }

    bool connected() {
        std::fprintf(stderr, "the main window connects to the phone\n");
        return waitUntil([this] { return browser()->isVisible(); }, kLongWaitMs);
    }

    // Each category loaded and listed as the refresh button does, its list views
    // adding rows every millisecond instead of every 100 ms.
    void fill() {
        report_.heading("The data views: load and fill (rows every 1 ms)");
        for (int type = 0; type < 3; ++type)
            static_cast<DeviceManager_BaseWidget*>(browser()->categoryView(type))->setFillInterval(1);
        for (int type = 0; type < kCategories; ++type) {
            std::fprintf(stderr, "filling %s\n", kKeys[type]);
            waitUntil([this] { return !browser()->isBusy(); }, kLongWaitMs);
            const auto* rowTimer = type < 3 ? browser()->categoryView(type)->findChild<QTimer*>("loadTimer") : nullptr;
            GuiStallMeter meter;
            QElapsedTimer clock;
            meter.start();
            clock.start();
            browser()->startFlushData(type);
            waitUntil([&] { return !browser()->isBusy() && !(rowTimer && rowTimer->isActive()); }, kLongWaitMs);
            const double seconds = clock.elapsed() / 1000.0;
            QTest::qWait(200);  // the last rows painted
            meter.stop();
            report_.add({std::string("fill.") + kKeys[type] + ".stall",
                         text(QString("%1: %2 loaded and listed in %3 s, GUI longest stall")
                                  .arg(kKeys[type])
                                  .arg(MobrelApi_getItemTotalLoadedCount(type))
                                  .arg(seconds, 0, 'f', 2)),
                         double(meter.longestStallMs()), "ms", 50});
        }
    }

    // A full backup: the engine's time with the pauses at 0, the pauses it would
    // have slept, and what it wrote against a plain copy of the same files.
    bool backUp() {
        std::fprintf(stderr, "backing up every category\n");
        report_.heading("Full backup (pauses at 0)");
        window_.showBackupPage();
        MobrelBackupWidget& screen = *window_.backupWidget();
        BackupDataThread& worker = *screen.worker();
        tickAll(screen);
        Timeline<BackupDataThread> timeline(worker, BackupDataThread::kWriting, BackupDataThread::kWritten);
        const RunEnd end = run(screen.actionButton(), timeline);
        const QString& box = end.box;
        const QString folder = worker.runFolder;
        runName_ = worker.runName;

        qint64 recordBytes = 0, mediaBytes = 0;
        double recordSeconds = 0, mediaSeconds = 0;
        quint64 records = 0;
        int pages = 0, mediaFiles = 0;
        QStringList recordParts, mediaParts;
        for (int type = 0; type < kCategories; ++type) {
            const QString category = QString::fromLatin1(kCategoryFolders[type]);
            if (type < 3) {
                const QString dataFile = "Script/assets/" + category + ".js";
                const Sizes data = sizeOf(folder + "/" + dataFile);
                recordBytes += data.bytes + sizeOf(folder + "/" + category).bytes;
                recordParts << dataFile << category;
                recordSeconds += timeline.seconds(type);
                records += worker.doneCount[type];
                pages += data.files;  // a page pause follows each committed data file
            } else {
                const Sizes copies = sizeOf(folder + "/" + category);
                mediaBytes += copies.bytes;
                mediaFiles += copies.files;
                mediaParts << category;
                mediaSeconds += timeline.seconds(type);
            }
        }
        const Sizes whole = sizeOf(folder);
        const double engine = timeline.end / 1000.0;
        const double pacing =
            (records * BackupDataThread::kRecordPauseMs + pages * BackupDataThread::kPagePauseMs) / 1000.0;
        add("backup.engine",
            QString("engine work: %1 files, %2 MB, \"%3\"").arg(whole.files).arg(mb(whole.bytes), 0, 'f', 1).arg(box),
            engine, "s");
        add("backup.pacing", QString("designed pacing: %1 record pauses of %2 ms, %3 page pauses of %4 ms")
                                 .arg(records).arg(BackupDataThread::kRecordPauseMs).arg(pages)
                                 .arg(BackupDataThread::kPagePauseMs), pacing, "s");
        const auto addThroughput = [&](const char* key, const QString& what, qint64 bytes, double seconds,
                                       const QStringList& parts) {
            add(key, QString("%1: %2 MB in %3 s").arg(what).arg(mb(bytes), 0, 'f', 1).arg(seconds, 0, 'f', 2),
                rate(bytes, seconds), "MB/s");
            const double copy = plainCopySeconds(folder, parts);
            add((std::string(key) + ".copy").c_str(),
                copy < 0 ? QString("  the same files, plain copy (FAILED)")
                         : QString("  the same files, plain copy on the same disk in %1 s").arg(copy, 0, 'f', 2),
                rate(bytes, copy), "MB/s");
        };
        addThroughput("backup.records", "record files the engine wrote", recordBytes, recordSeconds, recordParts);
        addThroughput("backup.media", QString("%1 media files the engine copied from the phone").arg(mediaFiles),
                      mediaBytes, mediaSeconds, mediaParts);
        addStall("backup.stall", end);
        return box == "Backup finished";
    }

    // The backup just made, every category, restored onto the phone.
    void restore() {
        std::fprintf(stderr, "restoring that backup\n");
        report_.heading("Restore of that backup (pauses at 0)");
        window_.showRestorePage();
        MobrelRestoreWidget& screen = *window_.restoreWidget();
        RestoreDataThread& worker = *screen.worker();
        auto* runs = screen.findChild<QComboBox*>();
        runs->setCurrentIndex(runs->findText(backupListLine(runName_)));
        tickAll(screen);
        Timeline<RestoreDataThread> timeline(worker, RestoreDataThread::kRestoring, RestoreDataThread::kRestored);
        const RunEnd end = run(screen.actionButton(), timeline);

        quint64 elements = 0, failed = 0;
        for (int type = 0; type < kCategories; ++type) {
            elements += worker.doneCount[type];
            failed += worker.outcome[type].failed;
        }
        // Waiting for the messaging-app switch: one poll, as the phone accepts within it.
        const bool switchAsked = worker.categoryState[1] == RestoreDataThread::kRestored &&
                                 MobrelApi_CheckAndroidVersionAt44() == 1;
        const double pacing =
            (elements * RestoreDataThread::kRecordPauseMs + (switchAsked ? RestoreDataThread::kSmsAppPollMs : 0)) /
            1000.0;
        add("restore.engine",
            QString("engine work: %1 elements, %2 not taken (\"%3\")").arg(elements).arg(failed).arg(end.box),
            timeline.end / 1000.0, "s");
        add("restore.pacing", QString("designed pacing: %1 pauses of %2 ms%3")
                                  .arg(elements).arg(RestoreDataThread::kRecordPauseMs)
                                  .arg(switchAsked ? ", one messaging-app poll of 1 s" : ""),
            pacing, "s");
        addStall("restore.stall", end);
    }

private:
    DeviceManagerWidget* browser() const { return window_.deviceWidget()->dataBrowser(); }

    void add(const char* key, const QString& label, double value, const char* unit) {
        report_.add({key, text(label), value, unit, NAN});
    }

    // How a run ended: the title of its closing box, and the GUI thread's longest
    // stall from the click to that box answered and while the worker ran.
    struct RunEnd {
        QString box;
        qint64 stallMs = 0;
        qint64 whileRunningMs = -1;
    };

    void addStall(const char* key, const RunEnd& end) {
        report_.add({key, text(QString("GUI longest stall (%1 ms while the worker ran)").arg(end.whileRunningMs)),
                     double(end.stallMs), "ms", 50});
    }

    // Clicks the screen's action button and waits for the box that ends the run,
    // the GUI thread measured all the way.
    template <class Worker>
    RunEnd run(QWidget* button, Timeline<Worker>& timeline) {
        answerer_.boxes.clear();
        GuiStallMeter meter;
        // The longest stall while the worker ran, read on the first tick after its end.
        qint64 whileRunning = -1;
        QTimer endSeen;
        endSeen.setInterval(1);
        QObject::connect(&endSeen, &QTimer::timeout, [&] {
            if (whileRunning < 0 && timeline.end >= 0) whileRunning = meter.longestStallMs();
        });
        meter.start();
        timeline.start();
        endSeen.start();
        click(button);
        answerer_.waitForBox(kLongWaitMs);
        waitUntil([&] { return timeline.end >= 0; }, kLongWaitMs);
        timeline.stop();
        meter.stop();
        return {answerer_.boxes.value(0).section('|', 0, 0), meter.longestStallMs(), whileRunning};
    }

    Report& report_;
    MobrelMainWidget window_;
    mobreltest::BoxAnswerer answerer_;
    QString runName_;
};

}  // namespace

bool measureWindow(Report& report) {
    WindowBench bench(report);
    if (!bench.connected()) {
        std::fprintf(stderr, "bench: the main window did not bring the phone up\n");
        return false;
    }
    bench.fill();
    if (!bench.backUp()) {
        std::fprintf(stderr, "bench: the backup did not finish, so there is nothing to restore\n");
        return false;
    }
    bench.restore();
    return true;
}

}  // namespace bench
