// The program as it starts for a user, ending after its first painted frame:
// it prints "first frame" to standard output once the main window's first paint
// has been handled, and quits. bench_mobrel times it from its own process start.
#include <QApplication>
#include <QTimer>

#include <cstdio>

#include "startup.h"

namespace {

// Sees the first paint event of any window; the report waits for the event
// loop's next turn, so that the whole frame is painted and flushed by then.
class FirstFrame : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType()) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                std::fputs("first frame\n", stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    FirstFrame firstFrame;
    app.installEventFilter(&firstFrame);
    return runProgram(app);
}
