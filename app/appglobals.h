// Process-wide values of the program: its own folder and its main window.
#pragma once

#include <QString>

class MobrelMainWidget;

// The folder that holds the program, without a trailing "/". Set once by
// start-up before the main window exists.
QString applicationFolder();
void setApplicationFolder(const QString& folder);

// The one main window, set as soon as its constructor begins; null before.
MobrelMainWidget* mainWindow();
void setMainWindow(MobrelMainWidget* window);
