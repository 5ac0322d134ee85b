// The interface scale: every fixed pixel value of the program is given for a
// 96-DPI screen and passes through scaled() before it is used.
#pragma once

class QScreen;

// The process-wide scale factor, 1.0 until setUiScale() is called. It is set
// once at start-up, before any worker thread exists.
float uiScale();
void setUiScale(float scale);

// The base value n in device pixels: uiScale() * n, truncated toward zero.
int scaled(int n);

// The scale for a screen of the given logical DPI: the smaller of the two
// ratios to 96, kept between 1.0 and 1.8.
float scaleForDpi(double dpiX, double dpiY);

// Sets the scale from the screen's logical DPI (1.0 when there is no screen).
void initUiScale(const QScreen* screen);
