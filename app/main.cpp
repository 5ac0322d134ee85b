// Start-up: library paths, fonts and the program's folder, then the main window.
#include <QApplication>
#include <QScreen>

#include "MobrelMainWidget.h"
#include "placement.h"
#include "startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication(QCoreApplication::applicationDirPath());

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->geometry().size() : QSize(0, 0);

    MobrelMainWidget window;
    window.move(startPosition(desktop, window.size()));
    window.show();
    return app.exec();
}
