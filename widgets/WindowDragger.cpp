#include "WindowDragger.h"

#include <QMouseEvent>
#include <QWidget>

WindowDragger::WindowDragger(QWidget* window) : QObject(window), window(window) {
    window->installEventFilter(this);
}

// Takes the window's own press, move and release events, the ones its
// children pass up included.
bool WindowDragger::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        dragging = true;
        pressPoint = static_cast<QMouseEvent*>(event)->position().toPoint();
        return true;
    case QEvent::MouseMove:
        if (dragging) {
            window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - pressPoint);
        }
        return true;
    case QEvent::MouseButtonRelease:
        dragging = false;
        return true;
    default:
        return false;
    }
}
