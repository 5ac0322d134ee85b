#include "MobrelMainWidget.h"

#include "DeviceConnectedWidget.h"
#include "DeviceManagerWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "MobrelBackupWidget.h"
#include "MobrelDeviceWidget.h"
#include "MobrelRestoreWidget.h"
#include "MobrelToolsBarWidget.h"
#include "MobrelToolsWidget.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "UpdateSite.h"
#include "WindowDragger.h"
#include "appglobals.h"
#include "base/runfolder.h"
#include "base/uiscale.h"
#include "mobrelclient.h"
#include "placement.h"

#include <QAction>
#include <QBitmap>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QUrl>

namespace {

// The maker's pages behind the menu; Support is the same page with a trailing "/".
constexpr char kHelpPage[] = "https://www.tolvane.com/support";
constexpr char kSupportPage[] = "https://www.tolvane.com/support/";
constexpr char kHomePage[] = "https://www.tolvane.com/mobrel";

QString labelStyle(const char* colour, int size) {
    return QStringLiteral("QLabel { color: %1;font:%2px;font-family:\"Lato\";}")
        .arg(QLatin1String(colour))
        .arg(size);
}

QPixmap scaledPixmap(const QString& path, const QSize& size) {
    return QPixmap(path).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void setBackgroundPicture(QWidget* widget, const QString& path) {
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::Window, QBrush(scaledPixmap(path, widget->size())));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

MobrelMainWidget::MobrelMainWidget(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setFixedSize(1024, 640);
    setAutoFillBackground(true);
    setMainWindow(this);
    new WindowDragger(this);

    initUiScale(screen());
    setFixedSize(mainWindowSize());

    MobrelApi_Init();  // the library is never shut down; it lives as long as the process

    createChildren();
    layoutChildren();
    loadImages();
    setLanguageTexts();

    showDevicePage();
    applyRoundedMask();
}

MobrelMainWidget::~MobrelMainWidget() {
    if (mainWindow() == this) setMainWindow(nullptr);
}

void MobrelMainWidget::createChildren() {
    titleBar = new QWidget(this);
    logoLabel = new QLabel(titleBar);
    titleLabel = new QLabel(titleBar);
    versionButton = new MyPushButton(titleBar);
    closeButton = new MyPushButton(titleBar);
    minimizeButton = new MyPushButton(titleBar);
    menuButton = new MyPushButton(titleBar);
    connect(closeButton, &MyPushButton::clicked, this, &MobrelMainWidget::closeButton_slots);
    connect(minimizeButton, &MyPushButton::clicked, this, &QWidget::showMinimized);
    connect(menuButton, &MyPushButton::clicked, this, &MobrelMainWidget::menuButton_slots);
    connect(versionButton, &MyPushButton::clicked, this, &MobrelMainWidget::version_label_slots);

    mainMenu = new QMenu(this);
    helpAction = mainMenu->addAction(QString());
    supportAction = mainMenu->addAction(QString());
    homepageAction = mainMenu->addAction(QString());
    checkUpdateAction = mainMenu->addAction(QString());
    connect(helpAction, &QAction::triggered, this, &MobrelMainWidget::slots_helpAction);
    connect(supportAction, &QAction::triggered, this, &MobrelMainWidget::slots_supportAction);
    connect(homepageAction, &QAction::triggered, this, &MobrelMainWidget::slots_homepageAction);
    connect(checkUpdateAction, &QAction::triggered, this,
            &MobrelMainWidget::slots_checkUpgradeAction);

    toolBar = new MobrelToolsBarWidget(this);
    contentArea = new QWidget(this);
    backupPage = new MobrelBackupWidget(contentArea);
    toolsPage = new MobrelToolsWidget(contentArea);
    restorePage = new MobrelRestoreWidget(contentArea);
    devicePage = new MobrelDeviceWidget(contentArea);
    for (QWidget* page : {static_cast<QWidget*>(backupPage), static_cast<QWidget*>(toolsPage),
                          static_cast<QWidget*>(restorePage), static_cast<QWidget*>(devicePage)}) {
        page->hide();
    }
    connect(devicePage->connectionScreen(), &DeviceConnectedWidget::deviceReady, this,
            &MobrelMainWidget::onDeviceReady);
    connect(devicePage->connectionScreen(), &DeviceConnectedWidget::deviceLost, this,
            &MobrelMainWidget::onDeviceLost);
    connect(backupPage, &MobrelBackupWidget::navigationEnabled, this, &MobrelMainWidget::setNavigationEnabled);
    connect(backupPage, &MobrelBackupWidget::backupListChanged, restorePage, &MobrelRestoreWidget::reloadBackupList);
    connect(restorePage, &MobrelRestoreWidget::navigationEnabled, this, &MobrelMainWidget::setNavigationEnabled);
    // What the phone holds changed: the browser fetches it again. Forgetting the
    // long lists takes a moment of its own, apart from the restore's closing work.
    connect(restorePage, &MobrelRestoreWidget::restoreFinished, devicePage->dataBrowser(),
            &DeviceManagerWidget::resetAllItems, Qt::QueuedConnection);
    connect(restorePage, &MobrelRestoreWidget::importFinished, devicePage->dataBrowser(),
            &DeviceManagerWidget::startFlushData);
    // The list views export through the backup screen's worker.
    devicePage->dataBrowser()->setExportEntry(
        [this](int itemType, ExportingView* view) { return backupPage->startExport(itemType, view); },
        [this] { backupPage->stopWorker(); });
    // The media views add files through the restore screen's worker.
    devicePage->dataBrowser()->setImportEntry(
        [this](const QStringList& files, int itemType) { return restorePage->startImport(files, itemType); },
        [this] { restorePage->stopWorker(); });
    // While the browser loads or deletes, no backup or restore may start.
    connect(devicePage->dataBrowser(), &DeviceManagerWidget::toolButtonsEnabled, this, [this](bool on) {
        toolBar->setToolButtonEnabled(on, 1);
        toolBar->setToolButtonEnabled(on, 2);
    });

    // Its quiet check is scheduled at once and speaks only of a newer version.
    updateChecker = new UpdateChecker(this);
    updateChecker->startQuietUpdateCheck();
}

void MobrelMainWidget::layoutChildren() {
    const int w = width();
    const int h = height();
    titleBar->setGeometry(0, 0, w, scaled(30));
    toolBar->setGeometry(scaled(1), scaled(30), w - scaled(2), scaled(80));
    contentArea->setGeometry(scaled(1), scaled(110), w - scaled(2), h - scaled(110));
    for (QWidget* page : {static_cast<QWidget*>(backupPage), static_cast<QWidget*>(toolsPage),
                          static_cast<QWidget*>(restorePage), static_cast<QWidget*>(devicePage)}) {
        page->setGeometry(contentArea->rect());
    }
    toolBar->layoutChildren();
    backupPage->layoutChildren();
    toolsPage->layoutChildren();
    restorePage->layoutChildren();
    devicePage->layoutChildren();

    logoLabel->setGeometry(scaled(5), scaled(5), scaled(20), scaled(20));
    titleLabel->setGeometry(scaled(30), scaled(5), scaled(400), scaled(20));
    closeButton->setButtonGeometry(w - scaled(30), 0, scaled(26), scaled(26));
    minimizeButton->setButtonGeometry(w - scaled(60), 0, scaled(26), scaled(26));
    menuButton->setButtonGeometry(w - scaled(90), 0, scaled(26), scaled(26));
    versionButton->setButtonGeometry(w - scaled(280), scaled(8), scaled(160), scaled(20));
}

void MobrelMainWidget::loadImages() {
    setBackgroundPicture(this, QStringLiteral(":/images/main.png"));
    setBackgroundPicture(logoLabel, QStringLiteral(":/images/program.png"));

    const QPixmap sprite(QStringLiteral(":/images/minclose.png"));
    const struct {
        MyPushButton* button;
        int column;
    } cells[] = {{menuButton, 5}, {minimizeButton, 30}, {closeButton, 55}};
    for (const auto& cell : cells) {
        cell.button->setSpriteCells(sprite, cell.column, 26, 26, 0, 28, 0, 0);
        cell.button->setLayoutMode(3);
    }

    toolBar->loadImages();
    devicePage->loadImages();  // the others when first shown
    setWindowIcon(QIcon(QStringLiteral(":/images/program.png")));
}

void MobrelMainWidget::setLanguageTexts() {
    const QString title = tr("Tolvane") + QLatin1Char(' ') + tr("Mobrel");
    setWindowTitle(title);
    titleLabel->setText(title);
    titleLabel->setStyleSheet(labelStyle("#e0e0e0", scaled(14)));

    versionButton->setLayoutMode(0);
    versionButton->setButtonAlignment(Qt::AlignRight | Qt::AlignVCenter);
    versionButton->setButtonText(tr("Ver: ") + QLatin1String(kMobrelVersion));
    versionButton->setStyleSheet(labelStyle("#b7b7b7", scaled(11)));

    helpAction->setText(tr("Help"));
    supportAction->setText(tr("Support"));
    homepageAction->setText(tr("Homepage"));
    checkUpdateAction->setText(tr("Check for Updates"));
    mainMenu->hide();
    mainMenu->setStyleSheet(
        QStringLiteral("QMenu::item{min-width:%1px;height:%2px;background-color: #edf4fb;"
                       "color:#333333;font: %3px;font-family:\"Lato\";padding-left: 8px;"
                       "padding-right: 2px;}")
            .arg(scaled(112))
            .arg(scaled(30))
            .arg(scaled(13)) +
        QStringLiteral("QMenu::item:selected{border-color:#e5e5e5;background:#b6f2b8;}"
                       "QMenu::separator{height: 1px;background-color:#e5e5e5;margin-left: 5px;"
                       "margin-right: 5px;}"));

    toolBar->setLanguageTexts();
    backupPage->setLanguageTexts();
    toolsPage->setLanguageTexts();
    restorePage->setLanguageTexts();
    devicePage->setLanguageTexts();
}

void MobrelMainWidget::applyRoundedMask() {
    QBitmap mask(size());
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(rect(), 4, 4);
    painter.end();
    setMask(mask);
}

void MobrelMainWidget::showOnly(QWidget* page) {
    for (QWidget* other : {static_cast<QWidget*>(backupPage), static_cast<QWidget*>(toolsPage),
                           static_cast<QWidget*>(restorePage), static_cast<QWidget*>(devicePage)}) {
        if (other != page) other->hide();
    }
    // Decoding every page's pictures at start would hold up the first frame.
    if (!pagesWithImages.contains(page)) {
        pagesWithImages.insert(page);
        if (page == backupPage) backupPage->loadImages();
        else if (page == restorePage) restorePage->loadImages();
        else if (page == toolsPage) toolsPage->loadImages();
    }
    page->show();
}

void MobrelMainWidget::showDevicePage() {
    showOnly(devicePage);
    devicePage->chooseVisibleChild();
}

void MobrelMainWidget::showBackupPage() {
    showOnly(backupPage);
    backupPage->refreshCounts();
}

void MobrelMainWidget::showRestorePage() { showOnly(restorePage); }

void MobrelMainWidget::showToolsPage() { showOnly(toolsPage); }

void MobrelMainWidget::setNavigationEnabled(bool on) {
    for (int i = 0; i < 4; ++i) toolBar->setToolButtonEnabled(on, i);
}

QPoint MobrelMainWidget::centerOnMainWindow(const QWidget* widget) const {
    return centeredTopLeft(geometry(), widget->size());
}

MyPushButton* MobrelMainWidget::titleButton(int index) const {
    switch (index) {
    case 0: return menuButton;
    case 1: return minimizeButton;
    case 2: return closeButton;
    default: return nullptr;
    }
}

void MobrelMainWidget::onDeviceReady() {
    devicePage->chooseVisibleChild();
    DeviceManagerWidget* browser = devicePage->dataBrowser();
    browser->resetAllItems();  // after a reconnection the views still hold the earlier lists
    browser->showDeviceInfo();
    const DeviceManager_DeviceInfoWidget* info = browser->deviceInfoView();
    const QString name = deviceName(info->deviceBrand(), info->deviceModel());
    backupPage->setSourceDevice(true, name, info->deviceBrand(), info->deviceModel());
    restorePage->setDestinationDevice(true, name);
    browser->updateItemCounts(true);
}

void MobrelMainWidget::onDeviceLost() {
    // Work still running fails on its own and says so; no new work may start.
    devicePage->chooseVisibleChild();
    backupPage->setSourceDevice(false, QString());
    restorePage->setDestinationDevice(false, QString());
}

void MobrelMainWidget::closeButton_slots() { close(); }

void MobrelMainWidget::menuButton_slots() {
    mainMenu->exec(QPoint(x() + width() - scaled(125), y() + menuButton->height()));
}

void MobrelMainWidget::version_label_slots() {}

void MobrelMainWidget::slots_helpAction() {
    QDesktopServices::openUrl(QUrl(QLatin1String(kHelpPage)));
}

void MobrelMainWidget::slots_supportAction() {
    QDesktopServices::openUrl(QUrl(QLatin1String(kSupportPage)));
}

void MobrelMainWidget::slots_homepageAction() {
    QDesktopServices::openUrl(QUrl(QLatin1String(kHomePage)));
}

void MobrelMainWidget::slots_checkUpgradeAction() { updateChecker->startUpdateCheck(); }
