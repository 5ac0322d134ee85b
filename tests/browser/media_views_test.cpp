// The photo, video and music views against phonesim's small phone (the functions run in order):
// pages of 24 tiles, thumbnails, ticks, export, deletion and adding files; with --large, the large
// phone's photos paged to the end without holding up the window.
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTextDocument>
#include <QWheelEvent>
#include <QtTest>

#include <cstring>
#include <set>

#include "DeviceManagerWidget.h"
#include "DeviceManager_FileBaseWidget.h"
#include "GalleryIconShowWidget.h"
#include "ImagePreviewItem.h"
#include "MobrelBackupWidget.h"
#include "MobrelRestoreWidget.h"
#include "base/settings.h"
#include "gui_stall_meter.h"
#include "mediacatalogue.h"
#include "runfiles.h"
#include "screen_kit.h"

using namespace mobreltest;

namespace {

constexpr int longWaitMs = 300000;
constexpr int photos = 3;
bool largePhone = false;

QString fullTitle(const ImagePreviewItem* tile) {  // as the tile's tool tip shows it
    QTextDocument tip;
    tip.setHtml(tile->findChild<QLabel*>("titleLabel")->toolTip());
    return tip.toPlainText();
}

// The browser with the backup screen's export entry and the restore screen's import entry,
// built as the main window builds them, showing one media view.
struct Browser {
    const int itemType;
    DeviceManagerWidget frame{nullptr};
    MobrelBackupWidget backup;
    MobrelRestoreWidget restore{nullptr};
    BoxAnswerer answerer;  // answers "Backup finished" with "Cancel", so that no file manager opens

    explicit Browser(const MediaKind& kind = kPhotoKind) : itemType(int(kind.itemType)) {
        answerer.only = "Backup finished";
        frame.setExportEntry([this](int itemType, ExportingView* view) { return backup.startExport(itemType, view); },
                             [this] { backup.stopWorker(); });
        backup.worker()->setPacing(0, 0);
        frame.setImportEntry(
            [this](const QStringList& files, int itemType) { return restore.startImport(files, itemType); },
            [this] { restore.stopWorker(); });
        QObject::connect(&restore, &MobrelRestoreWidget::importFinished, &frame, &DeviceManagerWidget::startFlushData);
        view()->setFillInterval(1);
        showScreen(frame);
    }
    DeviceManager_FileBaseWidget* view() const {
        return static_cast<DeviceManager_FileBaseWidget*>(frame.categoryView(itemType));
    }
    GalleryIconShowWidget* gallery() const { return view()->findChild<GalleryIconShowWidget*>("gallery"); }
    QScrollBar* bar() const { return view()->findChild<QScrollBar*>("pageScrollBar"); }
    // Loads the items and waits until the view holds them all and their thumbnails are drawn.
    bool load() {
        frame.startFlushData(itemType);
        return settled() && view()->loadedCount() == mediaCount(itemType);
    }
    bool settled() const {
        return waitUntil(
            [&] {
                return !frame.isBusy() && !view()->findChild<QTimer*>("loadTimer")->isActive() &&
                       !gallery()->findChild<QTimer*>("thumbTimer")->isActive();
            },
            longWaitMs);
    }
    QStringList shownTitles() const {  // of the tiles in use, in tile order
        QStringList titles;
        for (int i = 0; i < GalleryIconShowWidget::kTileCount; ++i)
            if (gallery()->tile(i)->isVisible()) titles << fullTitle(gallery()->tile(i));
        return titles;
    }
    void wheel(int degrees) const {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, degrees * 8), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(gallery(), &event);
    }
    void release(int page) const {
        bar()->setValue(page);
        emit bar()->sliderReleased();
    }
    void click(const char* name) const { QTest::mouseClick(view()->findChild<QWidget*>(name), Qt::LeftButton); }
    void clickTile(int i) const { QTest::mouseClick(gallery()->tile(i), Qt::LeftButton); }
    // Drops the files on the view as a file manager does; true when it takes them.
    bool drop(const QStringList& files) const {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files) urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(50, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view(), &enter);
        QDropEvent dropped(QPointF(50, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view(), &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }
};

// The library's photo titles of indexes first to last - 1 (last clipped to the count).
QStringList titles(int first, int last) {
    QStringList out;
    MediaRecord record;
    for (int i = first; i < last && mediaAt(photos, i, record); ++i) out << QString::fromUtf8(record.title);
    return out;
}

// The tile shows the picture at path, scaled to it.
bool shows(const ImagePreviewItem* tile, const QString& path) {
    const QLabel* picture = tile->findChild<QLabel*>("picture");
    return picture->pixmap().toImage() ==
           QPixmap(path).scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation).toImage();
}

QByteArray fileBytes(const QString& path) { return QByteArray::fromStdString(readFile(path.toStdString())); }

QString localPng(const PhoneSim& sim, const QString& name, Qt::GlobalColor colour) {  // a picture of one colour
    const QString path = QString::fromStdString((sim.root() / "local").string()) + "/" + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path);
    return path;
}

// Deletes the newest photos or adds pictures until the phone holds count photos.
bool setPhotoCount(const PhoneSim& sim, int count) {
    auto items = storeItems(sim, kPhotoKind);
    for (int i = int(items.size()) - 1; i >= count; --i)
        if (kPhotoKind.remove(items[size_t(i)]) != 1) return false;
    const QByteArray png = localPng(sim, "own.png", Qt::darkCyan).toUtf8();
    for (int i = int(items.size()); i < count; ++i)
        if (kPhotoKind.add(png.constData(), ("own" + QByteArray::number(i) + ".png").constData()) == -1) return false;
    return int(storeItems(sim, kPhotoKind).size()) == count;
}

QString onPhone(const PhoneSim& sim, const MediaItem& item) {
    return QString::fromStdString((sim.sdcardPath() / item.path.substr(kStoragePrefix.size())).string());
}

QStringList photoFiles(const PhoneSim& sim) {
    QStringList files;
    for (const MediaItem& item : storeItems(sim, kPhotoKind)) files << onPhone(sim, item);
    return files;
}

QStringList sortedBytes(const QStringList& files) {
    QStringList bytes;
    for (const QString& file : files) bytes << fileBytes(file).toBase64();
    bytes.sort();
    return bytes;
}

void kindRows() {
    QTest::addColumn<const MediaKind*>("kind");
    for (const MediaKind* kind : kMediaKinds) QTest::newRow(kind->name) << kind;
}

}  // namespace

class MediaViewsTest : public QObject {
    Q_OBJECT

public:
    explicit MediaViewsTest(PhoneSim& phone) : sim(phone) {}

private slots:
    // The whole catalogue comes in and the scroll bar reaches its last page.
    void lastPage() {
        Browser b;
        GuiStallMeter meter;
        meter.start();
        QVERIFY(b.load());
        const int count = b.view()->loadedCount();
        b.release(b.bar()->maximum());
        QVERIFY(b.settled());
        meter.stop();
        qInfo("%d photos, longest GUI stall: %lld ms", count, meter.longestStallMs());
        QCOMPARE(b.shownTitles(), titles(count - count % 24, count));
        if (largePhone) QVERIFY(meter.longestStallMs() <= 100);
    }

    void pages_data() {
        QTest::addColumn<int>("count");
        for (int count : {30, 24, 23, 48}) QTest::addRow("%d photos", count) << count;  // the small phone's 30 first
    }
    void pages() {
        QFETCH(int, count);
        QVERIFY(setPhotoCount(sim, count));
        Browser b;
        QVERIFY(b.load());
        QCOMPARE(b.view()->loadedCount(), count);
        QCOMPARE(b.shownTitles(), titles(0, 24));
        QCOMPARE(b.bar()->isVisible(), count >= 24);
        QCOMPARE(b.bar()->maximum(), count / 24);
        // Down turns to the second page once, where there is one; up goes back.
        const QStringList second = count > 24 ? titles(24, 48) : titles(0, 24);
        for (int i = 0; i < 2; ++i) {
            b.wheel(-15);
            QCOMPARE(b.shownTitles(), second);
        }
        QCOMPARE(b.bar()->value(), count > 24 ? 1 : 0);
        b.wheel(15);
        QCOMPARE(b.shownTitles(), titles(0, 24));
        // Released at 0 on the first page nothing changes; at 1 the second page comes.
        b.release(0);
        QCOMPARE(b.shownTitles(), titles(0, 24));
        b.release(1);
        QCOMPARE(b.shownTitles(), second);
    }

    void thumbnails_data() { kindRows(); }
    // A tile draws the cached thumbnail, and the placeholder for an item whose cached file
    // is missing or is no picture; music's cache names join id and album id.
    void thumbnails() {
        QFETCH(const MediaKind*, kind);
        const auto cached = [&](int i) {
            return QString::fromStdString(thumbnailOf(*kind, listed(*kind)[size_t(i)]).string());
        };
        QVERIFY(Browser(*kind).load());  // fetches every thumbnail
        const std::string thumbnail = readFile(cached(2).toStdString());
        writeFile(cached(2).toStdString(), "not a picture");

        Browser b(*kind);
        QVERIFY(b.load());  // a cached file, even a spoilt one, is not fetched again
        saveShot(&b.frame, QString(kind->name) + "-page");
        const QString placeholder = placeholderImage(b.itemType);
        for (int i = 0; i < qMin(24, b.view()->loadedCount()); ++i)
            QVERIFY2(shows(b.gallery()->tile(i), i == 2 ? placeholder : cached(i)), qPrintable(QString::number(i)));
        writeFile(cached(2).toStdString(), thumbnail);
        if (b.itemType != photos) return;

        // Mended, the thumbnail shows only once another item was in the tile.
        QVERIFY(b.load());  // the same items again
        QVERIFY(shows(b.gallery()->tile(2), placeholder));
        b.wheel(-15);
        b.wheel(15);
        QVERIFY(b.settled());
        QVERIFY(shows(b.gallery()->tile(2), cached(2)));
    }

    void tickExportDelete_data() { kindRows(); }
    // Only ticked items are exported, byte for byte, and deleted.
    void tickExportDelete() {
        QFETCH(const MediaKind*, kind);
        Browser b(*kind);
        QVERIFY(b.load());
        auto* selectAll = b.view()->findChild<QCheckBox*>("selectAllCheckBox");
        b.click("selectAllCheckBox");
        QCOMPARE(selectAll->checkState(), Qt::Unchecked);
        const QList<int> ticked{1, 4, 6};
        for (int i : {1, 4, 6, 7}) b.clickTile(i);
        QCOMPARE(selectAll->checkState(), Qt::Checked);
        b.clickTile(7);  // unticked again

        const std::vector<MediaItem> items = listed(*kind);
        QStringList tickedFiles;
        std::set<int> tickedIds;
        for (size_t i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i].loaded, ticked.contains(int(i)) ? 1 : 0);
            if (!ticked.contains(int(i))) continue;
            tickedIds.insert(items[i].id);
            tickedFiles << onPhone(sim, items[i]);
        }

        b.click("exportButton");  // back when the busy box has closed
        QCOMPARE(b.answerer.boxes.size(), 1);
        const QDir exported(b.backup.worker()->runFolder + "/" + kCategoryFolders[b.itemType]);
        QStringList written;
        for (const QString& name : exported.entryList(QDir::Files)) written << exported.filePath(name);
        QCOMPARE(sortedBytes(written), sortedBytes(tickedFiles));

        b.click("deleteButton");
        QVERIFY(b.settled());
        QCOMPARE(b.view()->loadedCount(), int(items.size() - ticked.size()));
        for (const MediaItem& item : storeItems(sim, *kind)) QVERIFY(!tickedIds.count(item.id));
        for (const MediaItem& item : listed(*kind)) QVERIFY(!tickedIds.count(item.id));
    }

    void add_data() {
        QTest::addColumn<bool>("dropped");
        QTest::newRow("picked") << false;
        QTest::newRow("dropped") << true;
    }
    // Picked or dropped files reach the phone, one under a name a photo there has already;
    // a dropped file of another kind is left out. A long title with markup is cut to its tile
    // as text, the whole of it in the tool tip.
    void add() {
        QFETCH(bool, dropped);
        Browser b;
        QVERIFY(b.load());
        QString taken;
        for (const MediaItem& item : storeItems(sim, kPhotoKind))
            if (item.path.find("/Images/") != std::string::npos)
                taken = QString::fromStdString(item.path.substr(item.path.rfind('/') + 1));
        QVERIFY(!taken.isEmpty());
        const QString title = "A <b>picture whose title is far too long for its tile";
        const QStringList files{localPng(sim, taken, Qt::red), localPng(sim, title + ".png", Qt::green)};
        const QStringList expected = sortedBytes(photoFiles(sim) + files);
        if (dropped) {
            const std::filesystem::path text = sim.root() / "local/other.txt";
            writeFile(text, "not a picture");
            QVERIFY(b.drop(files + QStringList{QString::fromStdString(text.string())}));
            QVERIFY(waitUntil([&] { return b.view()->loadedCount() == expected.size(); }, longWaitMs));
        } else {
            setFolderSetting("openfile", QFileInfo(files[0]).absolutePath());
            QTimer::singleShot(0, [&] {
                QVERIFY(waitUntil([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }, 10000));
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QCOMPARE(dialog->directory().absolutePath(), QFileInfo(files[0]).absolutePath());
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString("\"%1\" \"%2.png\"").arg(taken, title));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            b.click("addButton");  // back when the box has closed with the reload
        }
        QVERIFY(b.settled());
        QCOMPARE(sortedBytes(photoFiles(sim)), expected);
        QCOMPARE(b.view()->loadedCount(), expected.size());

        const int index = titles(0, b.view()->loadedCount()).indexOf(title);
        QVERIFY(index >= 0);
        b.release(index / 24);
        const auto* label = b.gallery()->tile(index % 24)->findChild<QLabel*>("titleLabel");
        QVERIFY(label->text().startsWith("A <b>") && label->text().contains(QChar(0x2026)));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        QCOMPARE(fullTitle(b.gallery()->tile(index % 24)), title);
    }

    // "Stop" in the busy box ends an add part way: what arrived is listed.
    void addStopped() {
        Browser b;
        QVERIFY(b.load());
        const int before = b.view()->loadedCount();
        QStringList picked;
        for (int i = 0; i < 30; ++i) picked << localPng(sim, QString("many%1.png").arg(i), Qt::yellow);
        b.answerer.only = "Add Data";  // its one button: "Stop"
        QVERIFY(b.drop(picked));
        QVERIFY(b.answerer.waitForBox());
        QVERIFY(waitUntil([&] { return b.restore.worker()->isFinished(); }, longWaitMs));
        QVERIFY(b.settled());
        const int arrived = int(storeItems(sim, kPhotoKind).size()) - before;
        QVERIFY2(arrived < picked.size(), qPrintable(QString("%1 arrived").arg(arrived)));
        QCOMPARE(b.view()->loadedCount(), before + arrived);
    }

private:
    PhoneSim& sim;
};

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    largePhone = argc > 1 && std::strcmp(argv[1], "--large") == 0;
    if (largePhone) args.erase(args.begin() + 1);
    return execWithPhone<MediaViewsTest>(int(args.size()), args.data(), {.dataset = largePhone ? "large" : "small"});
}

#include "media_views_test.moc"
