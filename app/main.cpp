// Start-up: library paths, fonts and the program's folder, then the main window.
#include <QApplication>

#include "startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return runProgram(app);
}
