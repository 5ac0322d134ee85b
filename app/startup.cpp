#include "startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include "appglobals.h"

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
