#include "ArtRenderer.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

QByteArray ArtRenderer::source(const QString &relativePath)
{
    QFile file(m_sourceDir + '/' + relativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (m_error.isEmpty())
            m_error = file.fileName() + ": " + file.errorString();
        return {};
    }
    return file.readAll();
}

void ArtRenderer::drawLayer(QPainter &painter, const ArtLayer &layer, const QRect &area)
{
    const QRect target = layer.rect.isNull() ? area : layer.rect.translated(area.topLeft());
    const QString path = layer.svg.isEmpty() ? layer.glyph : layer.svg;
    QByteArray svg = source(path);
    for (const auto &swap : layer.recolor)
        svg.replace(swap.first.toLatin1(), swap.second.toLatin1());
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        if (m_error.isEmpty())
            m_error = path + ": not a drawable SVG";
        return;
    }
    if (layer.svg.isEmpty()) {
        // A glyph is used as a mask: whatever colour its file has, it takes ours.
        QImage mask(target.size(), QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(QPointF(), QSizeF(target.size())));
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(mask.rect(), layer.color);
        p.end();
        painter.drawImage(target.topLeft(), mask);
    } else {
        renderer.render(&painter, QRectF(target));
    }
}

QImage ArtRenderer::render(const ArtImage &image, int frame)
{
    QImage out(image.size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform
                           | QPainter::TextAntialiasing);
    if (image.isAnimation()) {
        const QPointF centre(image.size.width() / 2.0, image.size.height() / 2.0);
        painter.translate(centre);
        painter.rotate(360.0 * frame / image.frames);
        painter.translate(-centre);
    }
    for (const ArtLayer &layer : image.layers)
        drawLayer(painter, layer, out.rect());
    for (const ArtCell &cell : image.cells) {
        painter.save();
        painter.setClipRect(cell.rect);
        for (const ArtLayer &layer : cell.layers)
            drawLayer(painter, layer, cell.rect);
        painter.restore();
    }
    return out;
}
