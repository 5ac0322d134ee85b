#include "ArtManifest.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QMovie>
#include <QTest>

namespace {

// The names the screens load; a missing one shows as an empty widget.
const QStringList screenImages = {
    "main.png", "program.png", "minclose.png", "tools.png", "dlgbg.png", "dlgtishi.png",
    "dlgbtn.png", "small_loadimg.gif", "small_loadimg2.gif",
    "check/checked1.png", "check/checked2.png", "check/checked3.png", "check/checked4.png",
    "check/uncheck1.png", "check/uncheck2.png", "check/uncheck3.png", "check/uncheck4.png",
    "icon/contacts.png", "icon/sms.png", "icon/calllog.png", "icon/photos.png",
    "icon/videos.png", "icon/musics.png", "android.png", "user.png", "sms-left.png",
    "sms-right.png", "image.png", "video.png", "music.png", "imagepreviewbg.png", "flush.png",
    "userdo.png", "searchbg.png", "frame1.png", "pc.png", "phone2.png", "phone3.png",
    "openusb1.png", "openusb2.png", "set1.png", "set2.png", "backupbtn2.png", "arrowDown.png",
    "arrowtest.png",
};

// Cells that screens cut at fixed places.
struct FixedCells { const char *image; QSize cell; QList<int> xs; QList<int> ys; };
const QList<FixedCells> fixedCells = {
    {"minclose.png", {26, 26}, {5, 30, 55}, {0, 28}},
    {"tools.png", {70, 70}, {55, 180, 300, 428}, {5, 74, 145}},
    {"dlgbtn.png", {120, 32}, {0, 139}, {0, 34}},
    {"dlgtishi.png", {72, 72}, {4, 77}, {4}},
};

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

    const ArtImage *find(const QString &name) const
    {
        for (const ArtImage &img : manifest.images)
            if (img.name == name)
                return &img;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        manifest = ArtManifest::load(QStringLiteral(MOBREL_ART_MANIFEST));
        QVERIFY2(manifest.error.isEmpty(), qPrintable(manifest.error));
    }

    void resourceHoldsExactlyTheScreensImages()
    {
        QStringList inResource;
        QDirIterator it(":/images", QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            inResource.append(it.next().mid(QStringLiteral(":/images/").size()));
        QStringList expected = screenImages;
        inResource.sort();
        expected.sort();
        QCOMPARE(inResource, expected);
    }

    void imageMatchesManifest_data()
    {
        QTest::addColumn<QString>("name");
        for (const ArtImage &img : manifest.images)
            QTest::newRow(qPrintable(img.name)) << img.name;
    }

    void imageMatchesManifest()
    {
        QFETCH(QString, name);
        const ArtImage &art = *find(name);
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

    void fixedCellsAreManifestCells()
    {
        for (const FixedCells &fixed : fixedCells) {
            const ArtImage *art = find(fixed.image);
            QVERIFY(art);
            for (int x : fixed.xs) {
                for (int y : fixed.ys) {
                    const QRect rect(QPoint(x, y), fixed.cell);
                    const bool listed = std::any_of(art->cells.begin(), art->cells.end(),
                                                    [&](const ArtCell &c) { return c.rect == rect; });
                    QVERIFY2(listed, qPrintable(QStringLiteral("%1 has no cell at %2,%3")
                                                    .arg(fixed.image).arg(x).arg(y)));
                }
            }
        }
    }
};

QTEST_MAIN(tst_images)
#include "tst_images.moc"
