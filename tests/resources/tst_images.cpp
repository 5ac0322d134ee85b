// The compiled-in artwork against its manifest: sizes, animations, and sprite
// cells and state pictures that tell their states apart.
#include "ArtManifest.h"

#include <QGuiApplication>
#include <QImage>
#include <QMovie>
#include <QTest>

namespace {

bool drawsSomething(const QImage &img)
{
    const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > 0)
                return true;
    return false;
}

QImage load(const QString &name)
{
    return QImage(":/images/" + name).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

class tst_images : public QObject {
    Q_OBJECT

    ArtManifest manifest;

private slots:
    void initTestCase()
    {
        manifest = ArtManifest::load(QStringLiteral(MOBREL_ART_MANIFEST));
        QVERIFY2(manifest.error.isEmpty(), qPrintable(manifest.error));
    }

    void imageMatchesManifest_data()
    {
        QTest::addColumn<int>("index");
        for (qsizetype i = 0; i < manifest.images.size(); ++i)
            QTest::newRow(qPrintable(manifest.images[i].name)) << int(i);
    }

    void imageMatchesManifest()
    {
        QFETCH(int, index);
        const ArtImage &art = manifest.images[index];
        const QString &name = art.name;
        if (art.isAnimation()) {
            QMovie movie(":/images/" + name);
            QVERIFY(movie.isValid());
            QVERIFY(movie.frameCount() > 1);
            QVERIFY(movie.jumpToFrame(0));
            QCOMPARE(movie.currentImage().size(), art.size);
            const QImage first = movie.currentImage();
            QVERIFY(movie.jumpToNextFrame());
            QVERIFY(movie.currentImage() != first);
            return;
        }
        const QImage img = load(name);
        QCOMPARE(img.size(), art.size);
        QVERIFY(drawsSomething(img));
        QList<QImage> cells;
        for (const ArtCell &cell : art.cells) {
            const QImage c = img.copy(cell.rect);
            QVERIFY2(drawsSomething(c), qPrintable(cell.id));
            for (qsizetype i = 0; i < cells.size(); ++i)
                QVERIFY2(cells[i] != c, qPrintable(cell.id + " looks like " + art.cells[i].id));
            cells.append(c);
        }
    }

    // The separate state pictures of one control (check box, output-folder button) differ.
    void statesOfAGroupDiffer()
    {
        QHash<QString, QList<QImage>> groups;
        for (const ArtImage &art : manifest.images) {
            if (art.group.isEmpty())
                continue;
            const QImage img = load(art.name);
            for (const QImage &other : groups.value(art.group))
                QVERIFY2(other != img, qPrintable(art.name + " repeats a state of " + art.group));
            groups[art.group].append(img);
        }
        QVERIFY(groups.size() >= 4);
    }
};

QTEST_MAIN(tst_images)
#include "tst_images.moc"
