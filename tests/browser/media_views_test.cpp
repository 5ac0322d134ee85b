// The media views against phonesim behind the real adb: pages of 24 tiles with
// the scroll bar and the wheel, thumbnails from the library's cache or the
// placeholder, ticks kept in the records' marks, export of the ticked items
// and their deletion, files added with "Add Data" (and stopped) and by a drop.
// One small phone serves the process; the functions run in order. With
// --large, the large phone's photos paged through without holding up the window.
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTextDocument>
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
#include "runfiles.h"
#include "screen_kit.h"

using namespace mobreltest;

namespace {

constexpr int longWaitMs = 300000;
constexpr int photos = 3;
bool largePhone = false;

// A tile's whole title, as its tool tip shows it.
QString fullTitle(const ImagePreviewItem* tile) {
    QTextDocument tip;
    tip.setHtml(tile->findChild<QLabel*>("titleLabel")->toolTip());
    return tip.toPlainText();
}

// The browser with the backup screen's export entry, built as the main window
// builds them, showing one media view.
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
    QCheckBox* selectAll() const { return view()->findChild<QCheckBox*>("selectAllCheckBox"); }
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
    // The titles of the tiles in use, in tile order.
    QStringList shownTitles() const {
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

// The bytes of the phone's files of a kind, sorted.
QStringList phoneFiles(const PhoneSim& sim, const MediaKind& kind = kPhotoKind) {
    QStringList files;
    for (const MediaItem& item : storeItems(sim, kind))
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
    void thumbnails_data();
    void thumbnails();
    void tickExportDelete_data();
    void tickExportDelete();
    void addData();
    void addStopped();
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

void kindRows() {
    QTest::addColumn<const MediaKind*>("kind");
    for (const MediaKind* kind : kMediaKinds) QTest::newRow(kind->name) << kind;
}

void MediaViewsTest::thumbnails_data() { kindRows(); }

// A tile draws the cached thumbnail, and the placeholder for an item whose
// cached file is missing or is no picture; music's cache names join id and album id.
void MediaViewsTest::thumbnails() {
    QFETCH(const MediaKind*, kind);
    const auto cached = [&](int i) {
        return QString::fromStdString(thumbnailOf(*kind, listed(*kind)[size_t(i)]).string());
    };
    QVERIFY(Browser(*kind).load());  // fetches every thumbnail
    const QByteArray thumbnail = fileBytes(cached(2));
    QFile spoilt(cached(2));
    QVERIFY(spoilt.open(QIODevice::WriteOnly) && spoilt.write("not a picture") > 0);
    spoilt.close();

    Browser b(*kind);
    QVERIFY(b.load());  // a cached file, even a spoilt one, is not fetched again
    saveShot(&b.frame, QString(kind->name) + "-page");
    const QString placeholder = placeholderImage(b.itemType);
    for (int i = 0; i < qMin(24, b.view()->loadedCount()); ++i) {
        const ImagePreviewItem* tile = b.gallery()->tile(i);
        QVERIFY2(shownPicture(tile) == drawnAs(i == 2 ? placeholder : cached(i), tile),
                 qPrintable(QString("tile %1").arg(i)));
    }
    QVERIFY(spoilt.open(QIODevice::WriteOnly) && spoilt.write(thumbnail) == thumbnail.size());
    spoilt.close();
    if (b.itemType != photos) return;

    // Mended, the thumbnail shows only once another item was in the tile.
    QVERIFY(b.load());  // the same items again
    const ImagePreviewItem* tile = b.gallery()->tile(2);
    QVERIFY(shownPicture(tile) == drawnAs(placeholder, tile));
    b.wheel(-15);
    b.wheel(15);
    QVERIFY(b.settled());
    QVERIFY(shownPicture(tile) == drawnAs(cached(2), tile));
}

void MediaViewsTest::tickExportDelete_data() { kindRows(); }

// Only ticked items are exported, byte for byte, and deleted.
void MediaViewsTest::tickExportDelete() {
    QFETCH(const MediaKind*, kind);
    Browser b(*kind);
    QVERIFY(b.load());
    b.click("selectAllCheckBox");
    QCOMPARE(b.selectAll()->checkState(), Qt::Unchecked);
    const QList<int> ticked{1, 4, 6};
    for (int i : {1, 4, 6, 7}) b.clickTile(i);
    QCOMPARE(b.selectAll()->checkState(), Qt::Checked);
    b.clickTile(7);  // unticked again

    std::vector<MediaItem> items = listed(*kind);
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
    const QDir exported(b.backup.worker()->runFolder + "/" + kCategoryFolders[b.itemType]);
    for (const QString& name : exported.entryList(QDir::Files))
        written << fileBytes(exported.filePath(name)).toBase64();
    expected.sort();
    written.sort();
    QCOMPARE(written, expected);

    b.click("deleteButton");
    QVERIFY(b.settled());
    QCOMPARE(b.view()->loadedCount(), int(items.size() - ticked.size()));
    for (const MediaItem& item : storeItems(sim, *kind)) QVERIFY(!tickedIds.count(item.id));
    for (const MediaItem& item : listed(*kind)) QVERIFY(!tickedIds.count(item.id));
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

// "Stop" in the busy box ends an add part way: what arrived is listed.
void MediaViewsTest::addStopped() {
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

// Dropped files are added like picked ones; a file of another kind is left
// out. A long title is cut to its tile, the whole of it in the tool tip.
void MediaViewsTest::drop() {
    Browser b;
    QVERIFY(b.load());
    QStringList expected = phoneFiles(sim);
    const QString title = "A <b>dropped picture whose title is far too long for its tile";
    const QString png = localPng(sim, title + ".png", Qt::green);
    expected << fileBytes(png).toBase64();
    expected.sort();
    QVERIFY(b.drop({png, localPng(sim, "other.txt", Qt::gray)}));
    QVERIFY(waitUntil([&] { return b.view()->loadedCount() == expected.size(); }, longWaitMs));
    QVERIFY(b.settled());
    QCOMPARE(phoneFiles(sim), expected);

    const int index = titles(0, b.view()->loadedCount()).indexOf(title);
    QVERIFY(index >= 0);
    b.bar()->setValue(index / 24);
    emit b.bar()->sliderReleased();
    const auto* label = b.gallery()->tile(index % 24)->findChild<QLabel*>("titleLabel");
    QVERIFY(label->text().startsWith("A <b>") && label->text().contains(QChar(0x2026)));
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    QCOMPARE(fullTitle(b.gallery()->tile(index % 24)), title);
}

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    largePhone = argc > 1 && std::strcmp(argv[1], "--large") == 0;
    if (largePhone) args.erase(args.begin() + 1);
    return execWithPhone<MediaViewsTest>(int(args.size()), args.data(), {.dataset = largePhone ? "large" : "small"});
}

#include "media_views_test.moc"
