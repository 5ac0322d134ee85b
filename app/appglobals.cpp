#include "appglobals.h"

namespace {
QString g_applicationFolder;
MobrelMainWidget* g_mainWindow = nullptr;
}  // namespace

QString applicationFolder() { return g_applicationFolder; }

void setApplicationFolder(const QString& folder) { g_applicationFolder = folder; }

MobrelMainWidget* mainWindow() { return g_mainWindow; }

void setMainWindow(MobrelMainWidget* window) { g_mainWindow = window; }
