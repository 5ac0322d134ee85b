// A small GIF89a writer (Qt reads GIF but cannot write it): a looping
// animation of full frames with one colour table and one transparent index.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

// Half-transparent pixels are blended onto `matte` (GIF knows only fully
// transparent or opaque); pixels below a quarter of opacity become transparent.
QByteArray encodeGif(const QList<QImage> &frames, int delayMs, const QColor &matte);
