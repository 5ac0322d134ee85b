// The photo view against phonesim behind the real adb: pages of 24 tiles with
// the scroll bar and the wheel, thumbnails from the library's cache or the
// placeholder, ticks kept in the records' marks, export of the ticked photos
// and their deletion, files added with "Add Data" and by a drop. One small
// phone serves the process; the functions run in order. With --large, the
// large phone's photos paged through without holding up the window.
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include <cstring>
#include <filesystem>
#include <set>

#include "DeviceManagerWidget.h"
#include "DeviceManager_FileBaseWidget.h"
#include "GalleryIconShowWidget.h"
#include "ImagePreviewItem.h"
#include "MobrelBackupWidget.h"
#include "MobrelRestoreWidget.h"
#include "base/settings.h"
#include "gui_stall_meter.h"
#include "library_e2e.h"
#include "mediacatalogue.h"
#include "screen_kit.h"

using namespace mobreltest;

namespace {

constexpr int longWaitMs = 300000;
constexpr int photos = 3;
bool largePhone = false;

// The browser with the backup screen's export entry, built as the main window builds them.
struct Browser {
    DeviceManagerWidget frame{nullptr};
    MobrelBackupWidget backup;
    MobrelRestoreWidget restore{nullptr};
    BoxAnswerer answerer;  // answers "Backup finished" with "Cancel", so that no file manager opens

    Browser() {
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
        return static_cast<DeviceManager_FileBaseWidget*>(frame.categoryView(photos));
    }
    GalleryIconShowWidget* gallery() const { return view()->findChild<GalleryIconShowWidget*>("gallery"); }
    QScrollBar* bar() const { return view()->findChild<QScrollBar*>("pageScrollBar"); }
    QCheckBox* selectAll() const { return view()->findChild<QCheckBox*>("selectAllCheckBox"); }
    // Loads the photos and waits until the view holds them all and their thumbnails are drawn.
    bool load() {
        frame.startFlushData(photos);
        return settled() && view()->loadedCount() == mediaCount(photos);
    }
    bool settled() const {
        return waitUntil(
            [&] {
                return !frame.isBusy() && !view()->findChild<QTimer*>("loadTimer")->isActive() &&
                       !gallery()->findChild<QTimer*>("thumbTimer")->isActive();
            },
            longWaitMs);
    }
    // The titles of the tiles in use, in tile order.
    QStringList shownTitles() const {
        QStringList titles;
        for (int i = 0; i < GalleryIconShowWidget::kTileCount; ++i)
            if (gallery()->tile(i)->isVisible()) titles << gallery()->tile(i)->findChild<QLabel*>("titleLabel")->text();
        return titles;
    }
    void wheel(int degrees) const {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, degrees * 8), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(gallery(), &event);
    }
    void click(const char* name) const { QTest::mouseClick(view()->findChild<QWidget*>(name), Qt::LeftButton); }
    void clickTile(int i) const { QTest::mouseClick(gallery()->tile(i), Qt::LeftButton); }
};

// The library's photo titles of indexes first to last - 1 (last clipped to the count).
QStringList titles(int first, int last) {
    QStringList out;
    MediaRecord record;
    for (int i = first; i < last && mediaAt(photos, i, record); ++i) out << QString::fromUtf8(record.title);
    return out;
}

// Deletes the newest photos or adds PNG files until the phone holds count photos.
bool setPhotoCount(const PhoneSim& sim, int count) {
    auto items = storeItems(sim, kPhotoKind);
    for (int i = int(items.size()) - 1; i >= count; --i)
        if (kPhotoKind.remove(items[size_t(i)]) != 1) return false;
    const QString png = QString::fromStdString((sim.root() / "own.png").string());
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    if (!image.save(png)) return false;
    for (int i = int(items.size()); i < count; ++i) {
        const QByteArray name = "own" + QByteArray::number(i) + ".png";
        if (kPhotoKind.add(png.toUtf8().constData(), name.constData()) == -1) return false;
    }
    return int(storeItems(sim, kPhotoKind).size()) == count;
}

QImage shownPicture(const ImagePreviewItem* tile) { return tile->findChild<QLabel*>("picture")->pixmap().toImage(); }

QImage drawnAs(const QString& path, const ImagePreviewItem* tile) {
    const QSize size = tile->findChild<QLabel*>("picture")->size();
    return QPixmap(path).scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation).toImage();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A local PNG of one colour.
QString localPng(const PhoneSim& sim, const QString& name, Qt::GlobalColor colour) {
    const QString folder = QString::fromStdString((sim.root() / "local").string());
    QDir().mkpath(folder);
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(colour);
    image.save(folder + "/" + name);
    return folder + "/" + name;
}

// The bytes of the phone's photo files, sorted.
QStringList phoneFiles(const PhoneSim& sim) {
    QStringList files;
    for (const MediaItem& item : storeItems(sim, kPhotoKind))
        files << fileBytes(
                     QString::fromStdString((sim.sdcardPath() / item.path.substr(kStoragePrefix.size())).string()))
                     .toBase64();
    files.sort();
    return files;
}

}  // namespace

class MediaViewsTest : public QObject {
    Q_OBJECT

public:
    explicit MediaViewsTest(PhoneSim& phone) : sim(phone) {}

private slots:
    void lastPage();
    void pages_data();
    void pages();
    void thumbnails();
    void tickExportDelete();
    void addData();
    void drop();

private:
    PhoneSim& sim;
};

// The whole catalogue comes in and the scroll bar reaches its last page.
void MediaViewsTest::lastPage() {
    Browser b;
    GuiStallMeter meter;
    meter.start();
    QVERIFY(b.load());
    const int count = b.view()->loadedCount();
    b.bar()->setValue(b.bar()->maximum());
    emit b.bar()->sliderReleased();
    QVERIFY(b.settled());
    meter.stop();
    qInfo("%d photos, longest GUI stall: %lld ms", count, meter.longestStallMs());
    QCOMPARE(b.shownTitles(), titles(count - count % 24, count));
    if (largePhone) QVERIFY(meter.longestStallMs() <= 100);
}

void MediaViewsTest::pages_data() {
    QTest::addColumn<int>("count");
    // The small phone's 30 first: the others delete or add photos.
    for (int count : {30, 24, 23, 48}) QTest::addRow("%d photos", count) << count;
}

void MediaViewsTest::pages() {
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
    b.wheel(-15);
    QCOMPARE(b.shownTitles(), second);
    b.wheel(-15);
    QCOMPARE(b.shownTitles(), second);
    QCOMPARE(b.bar()->value(), count > 24 ? 1 : 0);
    b.wheel(15);
    QCOMPARE(b.shownTitles(), titles(0, 24));

    // Released at 0 on the first page nothing changes; at 1 the second page comes.
    b.bar()->setValue(0);
    emit b.bar()->sliderReleased();
    QCOMPARE(b.shownTitles(), titles(0, 24));
    b.bar()->setValue(1);
    emit b.bar()->sliderReleased();
    QCOMPARE(b.shownTitles(), second);
}

// A tile draws the cached thumbnail, and the placeholder for an item without one.
void MediaViewsTest::thumbnails() {
    Browser b;
    QVERIFY(b.load());
    QVERIFY(b.view()->loadedCount() > 24);
    saveShot(&b.frame, "photos-page");
    const std::vector<MediaItem> items = listed(kPhotoKind);
    const auto cached = [&](int i) {
        return QString::fromStdString(thumbnailOf(kPhotoKind, items[size_t(i)]).string());
    };
    const QByteArray thumbnail = fileBytes(cached(2));
    QVERIFY(QFile::remove(cached(2)));
    const auto turn = [&] {  // the first page is drawn again with other items in between
        b.wheel(-15);
        b.wheel(15);
        return b.settled();
    };
    QVERIFY(turn());
    for (int i = 0; i < 24; ++i) {
        const ImagePreviewItem* tile = b.gallery()->tile(i);
        const QString expected = i == 2 ? ":/images/image.png" : cached(i);
        QVERIFY2(shownPicture(tile) == drawnAs(expected, tile), qPrintable(QString("tile %1").arg(i)));
    }
    // Come later, the thumbnail shows only once another item was in the tile.
    QFile file(cached(2));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(thumbnail) == thumbnail.size());
    file.close();
    QVERIFY(b.load());  // the same items again
    const ImagePreviewItem* tile = b.gallery()->tile(2);
    QVERIFY(shownPicture(tile) == drawnAs(":/images/image.png", tile));
    QVERIFY(turn());
    QVERIFY(shownPicture(tile) == drawnAs(cached(2), tile));
}

// Only ticked photos are exported, byte for byte, and deleted.
void MediaViewsTest::tickExportDelete() {
    Browser b;
    QVERIFY(b.load());
    b.click("selectAllCheckBox");
    QCOMPARE(b.selectAll()->checkState(), Qt::Unchecked);
    const QList<int> ticked{1, 4, 6};
    for (int i : {1, 4, 6, 7}) b.clickTile(i);
    QCOMPARE(b.selectAll()->checkState(), Qt::Checked);
    b.clickTile(7);  // unticked again

    std::vector<MediaItem> items = listed(kPhotoKind);
    QStringList expected, written;
    std::set<int> tickedIds;
    for (size_t i = 0; i < items.size(); ++i) {
        QCOMPARE(items[i].loaded, ticked.contains(int(i)) ? 1 : 0);
        if (!ticked.contains(int(i))) continue;
        tickedIds.insert(items[i].id);
        const auto onPhone = sim.sdcardPath() / items[i].path.substr(kStoragePrefix.size());
        expected << fileBytes(QString::fromStdString(onPhone.string())).toBase64();
    }

    b.click("exportButton");  // back when the busy box has closed
    QCOMPARE(b.answerer.boxes.size(), 1);
    const QDir exported(b.backup.worker()->runFolder + "/Photos");
    for (const QString& name : exported.entryList(QDir::Files))
        written << fileBytes(exported.filePath(name)).toBase64();
    expected.sort();
    written.sort();
    QCOMPARE(written, expected);

    b.click("deleteButton");
    QVERIFY(b.settled());
    QCOMPARE(b.view()->loadedCount(), int(items.size() - ticked.size()));
    for (const MediaItem& item : storeItems(sim, kPhotoKind)) QVERIFY(!tickedIds.count(item.id));
    for (const MediaItem& item : listed(kPhotoKind)) QVERIFY(!tickedIds.count(item.id));
}

// Two picked files reach the phone, one under a name a photo there has already.
void MediaViewsTest::addData() {
    Browser b;
    QVERIFY(b.load());
    std::string taken;
    for (const MediaItem& item : storeItems(sim, kPhotoKind))
        if (item.path.find("/Images/") != std::string::npos) taken = item.path.substr(item.path.rfind('/') + 1);
    QVERIFY(!taken.empty());
    QStringList expected = phoneFiles(sim);
    const QStringList picked{localPng(sim, QString::fromStdString(taken), Qt::red),
                             localPng(sim, "fresh.jpg", Qt::blue)};
    for (const QString& file : picked) expected << fileBytes(file).toBase64();
    expected.sort();
    setFolderSetting("openfile", QFileInfo(picked[0]).absolutePath());

    QTimer::singleShot(0, [&] {
        QVERIFY(waitUntil([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }, 10000));
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QCOMPARE(dialog->directory().absolutePath(), QFileInfo(picked[0]).absolutePath());
        dialog->findChild<QLineEdit*>("fileNameEdit")
            ->setText(QString("\"%1\" \"fresh.jpg\"").arg(QString::fromStdString(taken)));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    b.click("addButton");  // back when the box has closed with the reload
    QVERIFY(b.settled());
    QCOMPARE(phoneFiles(sim), expected);
    QCOMPARE(b.view()->loadedCount(), expected.size());
}

// Dropped files are added like picked ones; a file of another kind is left out.
void MediaViewsTest::drop() {
    Browser b;
    QVERIFY(b.load());
    QStringList expected = phoneFiles(sim);
    const QString png = localPng(sim, "dropped.png", Qt::green);
    expected << fileBytes(png).toBase64();
    expected.sort();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(png), QUrl::fromLocalFile(localPng(sim, "other.txt", Qt::gray))});
    QDragEnterEvent enter(QPoint(50, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b.view(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(50, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b.view(), &dropped);
    QVERIFY(waitUntil([&] { return b.view()->loadedCount() == expected.size(); }, longWaitMs));
    QVERIFY(b.settled());
    QCOMPARE(phoneFiles(sim), expected);
}

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    largePhone = argc > 1 && std::strcmp(argv[1], "--large") == 0;
    if (largePhone) args.erase(args.begin() + 1);
    return execWithPhone<MediaViewsTest>(int(args.size()), args.data(), {.dataset = largePhone ? "large" : "small"});
}

#include "media_views_test.moc"
