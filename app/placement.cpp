#include "placement.h"

#include "base/uiscale.h"

#include <algorithm>
#include <cstdlib>

QSize mainWindowSize() { return QSize(scaled(1024), scaled(640)); }

QPoint startPosition(const QSize& desktop, const QSize& window) {
    return QPoint(std::min(std::abs(desktop.width() - window.width()) / 2, 260),
                  std::min(std::abs(desktop.height() - window.height()) / 2, 30));
}

QPoint centeredTopLeft(const QRect& area, const QSize& size) {
    return QPoint(area.x() + (area.width() - size.width()) / 2,
                  area.y() + (area.height() - size.height()) / 2);
}
