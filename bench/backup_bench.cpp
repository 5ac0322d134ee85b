// A full backup of every category of a sample phone through the backup screen
// (offscreen), phonesim and the real adb, with the worker's pauses set to 0.
// Per category it prints the records, the media files and bytes written, the
// worker's time, and the pauses the designed pacing would have added to the
// same run; for the run the wall time, the GUI thread's longest stall, and the
// worker's write throughput against a plain copy of the run folder on the same
// disk.
//
//   bench_backup            the small phone, then the large one (one process each)
//   bench_backup small      one phone in this process
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BackupItemWidget.h"
#include "MobrelBackupWidget.h"
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "base/runfolder.h"
#include "gui_stall_meter.h"
#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"
#include "runfiles.h"

namespace {

constexpr int kCategories = BackupDataThread::kCategoryCount;
constexpr int kLongWaitMs = 3600000;
const char* const kNames[kCategories] = {"contacts", "messages", "call log", "photos", "videos", "music"};
const char* const kSummaryTag = "@summary ";
// One line per phone in the closing table of both runs.
#define SUMMARY_HEADER "%-8s %8s %6s %12s %8s %9s %9s %10s %8s %10s %9s\n"
#define SUMMARY_ROW "%-8s %8llu %6d %12lld %8.3f %9.3f %9.1f %10.1f %8lld %10.1f %9.1f\n"

struct Timeline {
    // GUI-clock ms: when the category was first seen writing and written.
    std::array<qint64, kCategories> writing{};
    std::array<qint64, kCategories> written{};
    std::atomic<qint64> workerEnd{-1};  // stamped on the worker thread
};

// The run's phases, each with its own stall meter, to tell where a stall fell:
// the click and the worker's set-up, one per category, and the end (the
// screen's finishing work and the closing question).
constexpr int kSetUpPhase = 0;
constexpr int kEndPhase = kCategories + 1;
constexpr int kPhases = kCategories + 2;

struct Sizes {
    qint64 bytes = 0;
    int files = 0;
};

Sizes sizeOf(const QString& path) {
    Sizes s;
    const QFileInfo info(path);
    if (info.isFile()) return {info.size(), 1};
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        s.bytes += it.fileInfo().size();
        ++s.files;
    }
    return s;
}

// A plain read/write loop over every file of the tree; false on any failure.
bool plainCopy(const QString& from, const QString& to) {
    if (!QDir().mkpath(to)) return false;
    std::vector<char> buffer(1 << 16);
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target)) return false;
            continue;
        }
        const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        bool ok = in >= 0 && out >= 0;
        for (ssize_t n = 0; ok && (n = ::read(in, buffer.data(), buffer.size())) != 0;) {
            ok = n > 0 && ::write(out, buffer.data(), static_cast<size_t>(n)) == n;
        }
        if (in >= 0) ::close(in);
        if (out >= 0) ::close(out);
        if (!ok) return false;
    }
    return true;
}

double mbPerSecond(qint64 bytes, double seconds) { return seconds > 0 ? bytes / 1e6 / seconds : 0.0; }

// The library's lists fetched as the data views fetch them, so that the screen
// shows counts and the worker backs up what the library holds. A record flush
// answers 0 when it succeeded, a media flush anything but -1.
void fetchAll(double& seconds) {
    int (*const flushes[kCategories])() = {MobrelApi_FlushPerson, MobrelApi_FlushSMS,  MobrelApi_FlushCallHistory,
                                           MobrelApi_FlushPhotos, MobrelApi_FlushVideo, MobrelApi_FlushMusic};
    QElapsedTimer clock;
    clock.start();
    for (int type = 0; type < kCategories; ++type) {
        const int result = flushes[type]();
        if (type < 3 ? result == 0 : result != -1) continue;
        std::printf("note: fetching %s answered %d\n", kNames[type], result);
    }
    seconds = clock.elapsed() / 1000.0;
}

// What the phone lists of the category, read from phonesim's store apart from
// the library (drafts and calls from private numbers are not listed).
size_t phoneCount(const mobreltest::PhoneSim& sim, int itemType) {
    switch (itemType) {
    case 0: return mobreltest::storeContacts(sim.storePath()).size();
    case 1: return mobreltest::recordsIn(mobreltest::storeConversations(sim.storePath()));
    case 2: return mobreltest::recordsIn(mobreltest::storeCallGroups(sim.storePath()));
    default: return mobreltest::storeItems(sim, *mobreltest::kMediaKinds[itemType - 3]).size();
    }
}

QString deviceField(const char* field, size_t size) {
    return QString::fromUtf8(field, static_cast<int>(qstrnlen(field, size))).remove('\n').remove('\r');
}

int benchOne(int argc, char** argv, const std::string& dataset) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    // The phone first: it points HOME and the XDG folders at its own temporary folder.
    mobreltest::PhoneSim sim;
    std::printf("=== %s phone: starting phonesim (waits for the machine's phonesim lock)\n", dataset.c_str());
    const auto up = mobreltest::bringUp(sim, {.dataset = dataset});
    if (!up) {
        std::fprintf(stderr, "bench: the phone did not come up: %s\n", up.message());
        return 1;
    }
    double fetchSeconds = 0;
    fetchAll(fetchSeconds);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MobrelDeviceInfo info{};
    MobrelApi_GetAndroidDevicesInfo(&info, 0);
    const QString brand = deviceField(info.brand, sizeof info.brand);
    const QString model = deviceField(info.model, sizeof info.model);
    MobrelBackupWidget screen;
    screen.resize(1022, 530);
    screen.layoutChildren();
    screen.loadImages();
    screen.setLanguageTexts();
    screen.setSourceDevice(true, deviceName(brand, model), brand, model);
    screen.show();
    for (int type = 0; type < kCategories; ++type) {
        if (!screen.categoryItem(type)->isChecked())
            QTest::mouseClick(screen.categoryItem(type)->findChild<QWidget*>("checkButton"), Qt::LeftButton);
        if (!screen.categoryItem(type)->isChecked()) std::printf("note: %s could not be ticked\n", kNames[type]);
    }
    BackupDataThread& worker = *screen.worker();
    worker.setPacing(0, 0);

    // The closing question answered "no", so that no file manager starts.
    QString box;
    QTimer answerer;
    answerer.setInterval(20);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* shown = qobject_cast<MyMessageBoxWidget*>(QApplication::activeModalWidget());
        if (!shown || !shown->isVisible() || !box.isEmpty()) return;
        box = shown->findChild<QLabel*>("titleLabel")->text();
        QTest::mouseClick(shown->findChild<QWidget*>("rightButton"), Qt::LeftButton);
    });
    answerer.start();

    QElapsedTimer clock;
    Timeline timeline;
    std::array<GuiStallMeter, kPhases> phaseMeters;
    int phase = kSetUpPhase;
    QTimer watcher;
    watcher.setTimerType(Qt::PreciseTimer);
    watcher.setInterval(1);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        int now = timeline.workerEnd >= 0 ? kEndPhase : kSetUpPhase;
        for (int type = 0; type < kCategories; ++type) {
            const quint8 state = worker.categoryState[type];
            if (state >= BackupDataThread::kWriting && !timeline.writing[type]) timeline.writing[type] = clock.elapsed();
            if (state == BackupDataThread::kWritten && !timeline.written[type]) timeline.written[type] = clock.elapsed();
            if (state >= BackupDataThread::kWriting && now != kEndPhase) now = type + 1;
        }
        if (now == phase) return;
        phaseMeters[phase].stop();
        phase = now;
        phaseMeters[phase].start();
    });
    QObject::connect(&worker, &QThread::finished, &worker, [&] { timeline.workerEnd = clock.elapsed(); },
                     Qt::DirectConnection);

    GuiStallMeter meter;
    meter.start();
    phaseMeters[phase].start();
    clock.start();
    watcher.start();
    QTest::mouseClick(screen.actionButton(), Qt::LeftButton);
    const bool ended = waitUntil([&] { return !box.isEmpty() && !QApplication::activeModalWidget(); }, kLongWaitMs);
    const qint64 wallMs = clock.elapsed();
    meter.stop();
    phaseMeters[phase].stop();
    watcher.stop();
    if (!ended) {
        std::fprintf(stderr, "bench: the backup did not end within %d s\n", kLongWaitMs / 1000);
        return 1;
    }
    const QString run = worker.runFolder;
    const qint64 engineMs = timeline.workerEnd;

    std::printf("fetching the six categories before the screen (not part of the backup): %.2f s\n", fetchSeconds);
    std::printf("closing question: \"%s\"\n\n", qPrintable(box));
    std::printf("%-9s %-10s %7s %7s %6s %12s %9s %9s %10s %10s %8s\n", "dataset", "category", "phone", "records",
                "files", "bytes", "engine s", "pauses", "pacing s", "designed s", "stall ms");
    quint64 records = 0;
    int mediaFiles = 0;
    int pages = 0;
    qint64 previousEnd = 0;
    const qint64 setupMs = timeline.writing[0] ? timeline.writing[0] : 0;
    for (int type = 0; type < kCategories; ++type) {
        const QString folder = QString::fromLatin1(kCategoryFolders[type]);
        Sizes sizes = sizeOf(run + "/" + folder);
        const Sizes dataFile = sizeOf(run + "/Script/assets/" + folder + ".js");
        sizes.bytes += dataFile.bytes;
        const bool recordKind = type < 3;
        const quint32 done = worker.doneCount[type];
        // Where the worker sleeps: after every record of a record category's
        // data file, and once after its page is copied (when the file was committed).
        const int page = recordKind && dataFile.files ? 1 : 0;
        const quint64 pacingMs = recordKind ? done * BackupDataThread::kRecordPauseMs + page * BackupDataThread::kPagePauseMs : 0;
        const qint64 start = timeline.writing[type] ? timeline.writing[type] : previousEnd;
        const qint64 categoryMs = timeline.written[type] - start;
        previousEnd = timeline.written[type];
        if (recordKind) records += done;
        else mediaFiles += sizes.files;
        pages += page;
        std::printf("%-9s %-10s %7zu %7u %6s %12lld %9.3f %9s %10.1f %10.1f %8lld%s\n", dataset.c_str(), kNames[type],
                    phoneCount(sim, type), done,
                    recordKind ? "-" : qPrintable(QString::number(sizes.files)), static_cast<long long>(sizes.bytes),
                    categoryMs / 1000.0,
                    recordKind ? qPrintable(QString("%1+%2").arg(done).arg(page)) : "0", pacingMs / 1000.0,
                    (categoryMs + static_cast<qint64>(pacingMs)) / 1000.0,
                    static_cast<long long>(phaseMeters[type + 1].longestStallMs()), worker.categoryComplete[type] ? "" : "  (incomplete)");
    }
    const Sizes total = sizeOf(run);
    const quint64 pacingMs = records * BackupDataThread::kRecordPauseMs + pages * BackupDataThread::kPagePauseMs;
    std::printf("%-9s %-10s %7s %7llu %6d %12lld %9.3f %9s %10.1f %10.1f %8lld\n\n", dataset.c_str(), "whole run", "",
                static_cast<unsigned long long>(records), mediaFiles, static_cast<long long>(total.bytes),
                engineMs / 1000.0, qPrintable(QString("%1+%2").arg(records).arg(pages)), pacingMs / 1000.0,
                (engineMs + static_cast<qint64>(pacingMs)) / 1000.0, static_cast<long long>(meter.longestStallMs()));

    // The same bytes through a plain read/write loop, beside the run on the same disk.
    const QString copy = run + ".plaincopy";
    QElapsedTimer copyClock;
    copyClock.start();
    const bool copied = plainCopy(run, copy);
    const double copySeconds = copyClock.nsecsElapsed() / 1e9;
    QDir(copy).removeRecursively();

    const double engineSeconds = engineMs / 1000.0;
    std::printf("wall time, click to the closing question answered: %.3f s (worker %.3f s, of which set-up before "
                "the first category %.3f s)\n",
                wallMs / 1000.0, engineSeconds, setupMs / 1000.0);
    std::printf("longest GUI stall during the backup: %lld ms (click and set-up %lld ms, end and closing question %lld ms)\n",
                static_cast<long long>(meter.longestStallMs()),
                static_cast<long long>(phaseMeters[kSetUpPhase].longestStallMs()),
                static_cast<long long>(phaseMeters[kEndPhase].longestStallMs()));
    std::printf("written: %d files, %lld bytes; worker %.1f MB/s; plain copy of the run folder %.3f s, %.1f MB/s%s\n",
                total.files, static_cast<long long>(total.bytes), mbPerSecond(total.bytes, engineSeconds), copySeconds,
                mbPerSecond(total.bytes, copySeconds), copied ? "" : " (the copy failed)");
    std::printf("%s" SUMMARY_ROW, kSummaryTag, dataset.c_str(), static_cast<unsigned long long>(records), mediaFiles,
                static_cast<long long>(total.bytes), wallMs / 1000.0, engineSeconds, pacingMs / 1000.0,
                engineSeconds + pacingMs / 1000.0, static_cast<long long>(meter.longestStallMs()),
                mbPerSecond(total.bytes, engineSeconds), mbPerSecond(total.bytes, copySeconds));
    return 0;
}

// Runs this program once per phone (the library keeps its folders for the life
// of a process), passes their output on and ends with both runs side by side.
int benchBoth(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList summaries;
    int result = 0;
    for (const char* dataset : {"small", "large"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(dataset)});
        if (!child.waitForStarted()) return 1;
        QByteArray pending;
        while (child.state() != QProcess::NotRunning || child.bytesAvailable() > 0) {
            child.waitForReadyRead(1000);
            pending += child.readAllStandardOutput();
            for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
                const QByteArray line = pending.left(end);
                if (line.startsWith(kSummaryTag)) summaries << QString::fromUtf8(line.mid(qsizetype(std::strlen(kSummaryTag))));
                else std::printf("%s\n", line.constData());
            }
            std::fflush(stdout);
        }
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) result = 1;
    }
    std::printf("\n=== both phones (pauses at 0; designed = worker + the pauses it would have slept)\n");
    std::printf(SUMMARY_HEADER, "dataset", "records", "files", "bytes", "wall s", "worker s", "pacing s",
                "designed s", "stall ms", "worker MB/s", "copy MB/s");
    for (const QString& line : summaries) std::printf("%s\n", qPrintable(line));
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const std::string dataset = argv[1];
        if (dataset != "small" && dataset != "large") {
            std::fprintf(stderr, "usage: bench_backup [small|large]\n");
            return 2;
        }
        return benchOne(argc, argv, dataset);
    }
    return benchBoth(argc, argv);
}
