// The program's only top-level window: a frameless, fixed-size window with its
// own title strip, the tool bar and four pages (device, backup, restore, tools).
#pragma once

#include <QPoint>
#include <QSet>
#include <QWidget>

class MobrelBackupWidget;
class MobrelDeviceWidget;
class MobrelRestoreWidget;
class MobrelToolsBarWidget;
class MobrelToolsWidget;
class MyPushButton;
class QAction;
class QLabel;
class QMenu;
class UpdateChecker;

class MobrelMainWidget : public QWidget {
    Q_OBJECT

public:
    // Registers itself as the main window and initialises the device-link
    // library before any page exists.
    explicit MobrelMainWidget(QWidget* parent = nullptr);
    ~MobrelMainWidget() override;

    void showDevicePage();
    void showBackupPage();
    void showRestorePage();
    void showToolsPage();

    // All four tool-bar buttons; the screens turn navigation off while their
    // worker runs.
    void setNavigationEnabled(bool on);

    // The top-left point that centres widget over this window.
    QPoint centerOnMainWindow(const QWidget* widget) const;

    MobrelToolsBarWidget* toolsBar() const { return toolBar; }
    MobrelDeviceWidget* deviceWidget() const { return devicePage; }
    MobrelBackupWidget* backupWidget() const { return backupPage; }
    MobrelRestoreWidget* restoreWidget() const { return restorePage; }
    MobrelToolsWidget* toolsWidget() const { return toolsPage; }
    UpdateChecker* updateCheckerObject() const { return updateChecker; }
    MyPushButton* titleButton(int index) const;  // 0 menu, 1 minimise, 2 close
    QMenu* menu() const { return mainMenu; }

public slots:
    void closeButton_slots();
    void menuButton_slots();
    void version_label_slots();
    void slots_helpAction();
    void slots_supportAction();
    void slots_homepageAction();
    void slots_checkUpgradeAction();

    // The connection screen's phone has been brought up.
    void onDeviceReady();
    void onDeviceLost();

private:
    void createChildren();
    void layoutChildren();
    void loadImages();
    void setLanguageTexts();
    void showOnly(QWidget* page);
    void applyRoundedMask();

    QWidget* titleBar;
    QLabel* logoLabel;
    QLabel* titleLabel;
    MyPushButton* versionButton;
    MyPushButton* closeButton;
    MyPushButton* minimizeButton;
    MyPushButton* menuButton;
    QMenu* mainMenu;
    QAction* helpAction;
    QAction* supportAction;
    QAction* homepageAction;
    QAction* checkUpdateAction;
    MobrelToolsBarWidget* toolBar;
    QWidget* contentArea;
    MobrelBackupWidget* backupPage;
    MobrelToolsWidget* toolsPage;
    MobrelRestoreWidget* restorePage;
    MobrelDeviceWidget* devicePage;
    QSet<QWidget*> pagesWithImages;  // the pages whose pictures are loaded
    UpdateChecker* updateChecker;
};
