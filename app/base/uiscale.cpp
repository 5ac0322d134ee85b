#include "base/uiscale.h"

#include <QScreen>

#include <algorithm>

namespace {
float g_uiScale = 1.0f;
}

float uiScale() { return g_uiScale; }

void setUiScale(float scale) { g_uiScale = scale; }

int scaled(int n) { return static_cast<int>(g_uiScale * static_cast<float>(n)); }

float scaleForDpi(double dpiX, double dpiY) {
    const double scale = std::min(dpiX, dpiY) / 96.0;
    if (!(scale > 1.0)) return 1.0f;  // also a zero or unknown DPI
    return static_cast<float>(std::min(scale, 1.8));
}

void initUiScale(const QScreen* screen) {
    setUiScale(screen ? scaleForDpi(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY())
                      : 1.0f);
}
