// The backup screen: the phone as the source with its six categories, the
// computer as the destination with the output folder, and the "Backup" button.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class BackupItemWidget;
class MyPushButton;
class QLabel;

class MobrelBackupWidget : public QWidget {
    Q_OBJECT

public:
    explicit MobrelBackupWidget(QWidget* parent = nullptr);

    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // Each entry shows its category's record count and is enabled when it has
    // records. Called when the page is shown and when the source changes.
    void refreshCounts();

    // Without a phone: the no-phone picture, no entries, the button disabled.
    // deviceName, when not empty, names the source.
    void setSourceDevice(bool connected, const QString& deviceName);

    BackupItemWidget* categoryItem(int itemType) const { return categoryItems.value(itemType); }
    MyPushButton* actionButton() const { return backupButton; }

public slots:
    void outpathButton_slots();

private:
    QStringList categoryNames;
    QLabel* sourcePanel;
    QLabel* destinationPanel;
    QLabel* computerPicture;
    QLabel* noPhonePicture;
    QLabel* sourceLabel;
    QLabel* sourceLine;
    QLabel* destinationLabel;
    QLabel* destinationLine;
    QLabel* outputPathLabel;
    MyPushButton* outputPathButton;
    QWidget* entriesContainer;
    QList<BackupItemWidget*> categoryItems;
    MyPushButton* backupButton;
};
