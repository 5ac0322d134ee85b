// One run of every benchmark on the large sample phone, ending with one table:
// the program's cold start to its first frame (bench_coldstart, first, while
// nothing else runs), the library's flushes (bench_flush, in a process of its
// own), and the main window's fill, backup and restore. With --results, the
// figures are appended to that file and the table shows the previous run's
// beside them. The exit status is 1 when any part did not run to its end.
//
//   bench_mobrel [--results FILE] [--run NAME]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui_figures.h"
#include "library_e2e.h"
#include "report.h"
#include "screen_kit.h"

namespace {

constexpr int kColdStarts = 5;

QString besideMe(const char* program) { return QCoreApplication::applicationDirPath() + "/" + program; }

// Runs bench_flush and takes in its figures; its progress goes on to stderr.
bool takeFlushFigures(bench::Report& report) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(besideMe("bench_flush"), {});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) return false;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (!line.isEmpty()) report.take(line.toStdString());
    return true;
}

// The program started kColdStarts times on a quiet machine, as a user of its own
// (a temporary home) with no phone attached (a stand-in adb first on its PATH
// lists none), each timed from its start until it reports its first painted frame.
// False when no start reached a frame.
bool measureColdStart(bench::Report& report) {
    std::fprintf(stderr, "starting the program %d times\n", kColdStarts);
    QTemporaryDir bin;
    QFile adb(bin.filePath("adb"));
    if (!adb.open(QIODevice::WriteOnly) || adb.write("#!/bin/sh\necho 'List of devices attached'\n") < 0 ||
        !adb.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        std::fprintf(stderr, "bench: no stand-in adb: %s\n", qPrintable(adb.errorString()));
    adb.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", bin.path() + ":" + environment.value("PATH"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    environment.insert("HOME", home.path());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = home.filePath(QString::fromLatin1(name));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(name, folder);
    }
    std::vector<double> ms;
    for (int i = 0; i < kColdStarts; ++i) {
        QProcess program;
        program.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        program.start(besideMe("bench_coldstart"), {});
        bool painted = false;
        while (!painted && program.waitForReadyRead(30000))
            painted = program.readAllStandardOutput().contains("first frame");
        const double elapsed = clock.nsecsElapsed() / 1e6;
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished();
        }
        if (painted) ms.push_back(elapsed);
    }
    report.heading("Cold start, the program's start to its first painted frame (offscreen, no phone)");
    if (ms.empty()) {
        report.add({"start.first", "the first start (NO FRAME)", 0, "ms", 300});
        return false;
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    report.add({"start.first", "the first of the starts", first, "ms", 300});
    report.add(
        {"start.median", "the median of " + std::to_string(ms.size()) + " starts", ms[ms.size() / 2], "ms", 300});
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string results, run;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--results") == 0) results = argv[i + 1];
        else if (std::strcmp(argv[i], "--run") == 0) run = argv[i + 1];
    }
    if (run.empty()) run = "unnamed run";

    bench::Report report, coldStart;
    bool complete = true;
    {
        QCoreApplication launcher(argc, argv);
        complete = measureColdStart(coldStart);
        complete = takeFlushFigures(report) && complete;
        if (!complete) std::fprintf(stderr, "bench: the flushes did not run to their end\n");
    }

    mobreltest::PhoneSim sim;
    std::fprintf(stderr, "starting phonesim with the large phone for the window\n");
    const auto up = mobreltest::bringUp(sim, {.dataset = "large"});
    if (!up) {
        std::fprintf(stderr, "bench: the phone did not come up: %s\n", up.message());
        return 1;
    }
    std::string phone = "large phone:";
    const char* const names[] = {"contacts", "messages", "calls", "photos", "videos", "songs"};
    for (int type = 0; type < 6; ++type)
        phone += (type ? ", " : " ") + std::to_string(mobreltest::storeCount(sim, type)) + " " + names[type];

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    complete = bench::measureWindow(report) && complete;
    report.add(coldStart);

    std::printf("\nMobrel benchmarks, %s (%s)\n", phone.c_str(), run.c_str());
    report.print(results.empty() ? std::map<std::string, double>{} : bench::Report::lastRun(results));
    if (!results.empty() && !report.append(results, run)) {
        std::fprintf(stderr, "bench: could not add the figures to %s\n", results.c_str());
        return 1;
    }
    return complete ? 0 : 1;
}
