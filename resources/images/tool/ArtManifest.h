// The artwork manifest: which picture each ":/images/..." name is rendered
// from, its pixel size and the cells of the sprites. Read by the build-time
// renderer and by the resource test, so both agree on names, sizes and cells.
#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QRect>
#include <QSize>
#include <QString>

struct ArtLayer {
    QString svg;      // drawing under the source folder, colours swapped by `recolor`
    QString glyph;    // single-colour icon under the source folder, painted in `color`
    QRect rect;       // inside the cell (or the whole image); null means all of it
    QColor color;
    QList<QPair<QString, QString>> recolor;  // "#rrggbb" in the file -> colour to use
};

struct ArtCell {
    QString id;  // "column/row" of a grid, or the id given in the manifest
    QRect rect;  // in image coordinates
    QList<ArtLayer> layers;
};

struct ArtImage {
    QString name;     // path below ":/images/", e.g. "check/checked1.png"
    QSize size;
    QString group;    // images of one group are states of one control: they must differ
    int frames = 0;   // > 0: an animated GIF spinning its layers once over the frames
    int delayMs = 0;  // per frame
    QColor matte;     // GIF only: what half-transparent edges are blended onto
    QList<ArtLayer> layers;  // drawn over the whole image before the cells
    QList<ArtCell> cells;

    bool isAnimation() const { return frames > 0; }
};

struct ArtManifest {
    QList<ArtImage> images;
    QString error;  // empty when the file was read completely

    static ArtManifest load(const QString &path);
};
