// The tool bar of the main window: Device, Backup, Restore and Tools.
#pragma once

#include <QWidget>

class MyPushButton;

class MobrelToolsBarWidget : public QWidget {
    Q_OBJECT

public:
    explicit MobrelToolsBarWidget(QWidget* parent = nullptr);

    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // Index 0 Device, 1 Backup, 2 Restore, 3 Tools; other values do nothing.
    void setToolButtonEnabled(bool on, int index);
    MyPushButton* toolButton(int index) const;

public slots:
    void deviceButton_slots();
    void backupButton_slots();
    void restoreButton_slots();
    void applistButton_slots();

private:
    MyPushButton* deviceButton;
    MyPushButton* backupButton;
    MyPushButton* restoreButton;
    MyPushButton* applistButton;
};
