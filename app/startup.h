// What the program sets up before its main window exists: library paths for
// Qt's plug-ins, the fonts every style sheet names, and the program's folder.
// The program, its tests and the screenshot tool start the same way.
#pragma once

#include <QString>

class QApplication;

// folder is the folder of the program's executable, where font/ lies.
void prepareApplication(const QString& folder);

// The whole program once its application object exists: the set-up above, the
// main window placed on the primary screen, and the event loop until it ends.
int runProgram(QApplication& app);
