// Draws one manifest image (or one frame of an animation) from its SVG sources.
#pragma once

#include "ArtManifest.h"

#include <QImage>
#include <QString>

class ArtRenderer {
public:
    explicit ArtRenderer(const QString &sourceDir) : m_sourceDir(sourceDir) {}

    // A transparent image of the manifest size with every layer drawn; a
    // frame of an animation is turned by frame / frames of a full circle.
    QImage render(const ArtImage &image, int frame = 0);

    // The first source that could not be read or drawn; empty while all went well.
    const QString &error() const { return m_error; }

private:
    void drawLayer(QPainter &painter, const ArtLayer &layer, const QRect &area);
    QByteArray source(const QString &relativePath);

    QString m_sourceDir;
    QString m_error;
};
