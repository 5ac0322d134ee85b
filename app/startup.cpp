#include "startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QScreen>

#include "MobrelMainWidget.h"
#include "appglobals.h"
#include "placement.h"

void prepareApplication(const QString& folder) {
    QCoreApplication::addLibraryPath(folder);
    QCoreApplication::addLibraryPath(folder + QStringLiteral("/plugins"));
    // Qt 6 reads and writes UTF-8 for translations, C strings and the locale:
    // there is no codec to choose.

    QFontDatabase::addApplicationFont(folder + QStringLiteral("/font/Arial.ttf"));
    QFontDatabase::addApplicationFont(folder + QStringLiteral("/font/customBold.ttf"));
    const int custom = QFontDatabase::addApplicationFont(folder + QStringLiteral("/font/custom.ttf"));
    if (custom != -1) {
        const QStringList families = QFontDatabase::applicationFontFamilies(custom);
        if (!families.isEmpty()) QApplication::setFont(QFont(families.first(), 10));
    }
    setApplicationFolder(folder);
}

int runProgram(QApplication& app) {
    prepareApplication(QCoreApplication::applicationDirPath());

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->geometry().size() : QSize(0, 0);

    MobrelMainWidget window;
    window.move(startPosition(desktop, window.size()));
    window.show();
    return app.exec();
}
