// Where the main window and the boxes over it go.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The main window's size at the current interface scale.
QSize mainWindowSize();

// The start position: centred on the desktop, but never further right than 260
// or further down than 30. A desktop smaller than the window gives half the
// difference, so the window still starts on the screen.
QPoint startPosition(const QSize& desktop, const QSize& window);

// The top-left point that centres a widget of the given size over the area.
QPoint centeredTopLeft(const QRect& area, const QSize& size);
