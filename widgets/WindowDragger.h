// Lets a frameless window be moved by dragging any spot that does not take the
// mouse itself. Create it with the window as parent; it watches that window.
#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

class WindowDragger : public QObject {
    Q_OBJECT

public:
    explicit WindowDragger(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window;
    bool dragging = false;
    QPoint pressPoint;
};
