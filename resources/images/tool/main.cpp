// mobrel_artc: renders the artwork manifest into the PNG and GIF files that
// the ":/images/..." resource is made of.
//
//   mobrel_artc MANIFEST SOURCE_DIR OUTPUT_DIR [--sheet FILE]
//
// --sheet also writes one picture of every image (all frames of the
// animations, sprite cells outlined) for looking at the artwork as a whole.

#include "ArtManifest.h"
#include "ArtRenderer.h"
#include "GifWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

namespace {

// Qt's own start-up notices (such as a missing XDG_RUNTIME_DIR) are noise in
// a build log; what the SVG reader reports about our sources is kept.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

int fail(const QString &message)
{
    std::fprintf(stderr, "mobrel_artc: %s\n", qPrintable(message));
    return 1;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

QImage checkerboard(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    for (int y = 0; y < size.height(); y += 8)
        for (int x = 0; x < size.width(); x += 8)
            p.fillRect(x, y, 8, 8, ((x + y) / 8) % 2 ? QColor(0xd8d8d8) : QColor(0xf4f4f4));
    return img;
}

// Each image on a checkerboard, small ones enlarged, animations frame by frame.
QImage contactSheet(const ArtManifest &manifest, const QList<QList<QImage>> &rendered)
{
    const int width = 1500;
    const int gap = 16;
    struct Placed { QPoint at; QImage img; int zoom; const ArtImage *source; };
    QList<Placed> placed;
    QPoint cursor(gap, gap);
    int rowHeight = 0;
    for (qsizetype i = 0; i < manifest.images.size(); ++i) {
        const ArtImage &art = manifest.images[i];
        const int zoom = art.size.width() <= 64 && art.size.height() <= 64 ? 3 : 1;
        const QSize one = art.size * zoom;
        const int frames = int(rendered[i].size());
        const QSize box(qMax(one.width() * frames + gap * (frames - 1), 150), one.height() + 18);
        if (cursor.x() + box.width() > width && cursor.x() > gap) {
            cursor = QPoint(gap, cursor.y() + rowHeight + gap);
            rowHeight = 0;
        }
        for (int f = 0; f < frames; ++f)
            placed.append({cursor + QPoint(f * (one.width() + gap), 18), rendered[i][f], zoom, &art});
        cursor.rx() += box.width() + gap;
        rowHeight = qMax(rowHeight, box.height());
    }
    QImage sheet(width, cursor.y() + rowHeight + gap, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    const ArtImage *labelled = nullptr;
    for (const Placed &pl : placed) {
        if (pl.source != labelled) {
            labelled = pl.source;
            p.setPen(Qt::black);
            p.drawText(pl.at - QPoint(0, 5), QStringLiteral("%1  %2x%3").arg(pl.source->name)
                       .arg(pl.source->size.width()).arg(pl.source->size.height()));
        }
        const QRect target(pl.at, pl.img.size() * pl.zoom);
        p.drawImage(target.topLeft(), checkerboard(target.size()));
        p.drawImage(target, pl.img);
        p.setPen(QColor(255, 0, 255, 110));
        for (const ArtCell &cell : pl.source->cells)
            p.drawRect(QRect(pl.at + cell.rect.topLeft() * pl.zoom, cell.rect.size() * pl.zoom)
                           .adjusted(0, 0, -1, -1));
    }
    return sheet;
}

}  // namespace

int main(int argc, char **argv)
{
    // SVG text needs the font database, which needs a GUI application; no
    // display is involved.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString sheetPath;
    const qsizetype sheetFlag = args.indexOf(QStringLiteral("--sheet"));
    if (sheetFlag >= 0 && sheetFlag + 1 < args.size()) {
        sheetPath = args.at(sheetFlag + 1);
        args.remove(sheetFlag, 2);
    }
    if (args.size() != 3)
        return fail("usage: mobrel_artc MANIFEST SOURCE_DIR OUTPUT_DIR [--sheet FILE]");

    const ArtManifest manifest = ArtManifest::load(args[0]);
    if (!manifest.error.isEmpty())
        return fail(manifest.error);
    ArtRenderer renderer(args[1]);
    const QString outDir = args[2];
    QList<QList<QImage>> rendered;
    for (const ArtImage &art : manifest.images) {
        QList<QImage> frames;
        for (int f = 0; f < qMax(1, art.frames); ++f)
            frames.append(renderer.render(art, f));
        if (!renderer.error().isEmpty())
            return fail(art.name + ": " + renderer.error());
        const QString path = outDir + '/' + art.name;
        bool written = false;
        if (art.isAnimation()) {
            written = writeFile(path, encodeGif(frames, art.delayMs, art.matte));
        } else {
            QDir().mkpath(QFileInfo(path).absolutePath());
            written = frames.first().save(path, "PNG");
        }
        if (!written)
            return fail("cannot write " + path);
        rendered.append(frames);
    }
    if (!sheetPath.isEmpty() && !contactSheet(manifest, rendered).save(sheetPath, "PNG"))
        return fail("cannot write " + sheetPath);
    return 0;
}
