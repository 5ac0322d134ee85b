// The restore screen: a backup chosen from the list as the source with its six
// categories, the connected phone as the destination, and the "Restore" button.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class BackupItemWidget;
class MyPushButton;
class QComboBox;
class QLabel;

class MobrelRestoreWidget : public QWidget {
    Q_OBJECT

public:
    explicit MobrelRestoreWidget(QWidget* parent = nullptr);

    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // Without a phone: the no-phone picture and no destination name; the
    // button is enabled exactly when a phone is connected. deviceName, when not
    // empty, is shown alone as the destination.
    void setDestinationDevice(bool connected, const QString& deviceName);

    BackupItemWidget* categoryItem(int itemType) const { return categoryItems.value(itemType); }
    MyPushButton* actionButton() const { return restoreButton; }

private:
    QStringList categoryNames;
    QLabel* sourcePanel;
    QLabel* destinationPanel;
    QLabel* phonePicture;
    QLabel* noPhonePicture;
    QLabel* destinationLabel;
    QLabel* destinationLine;
    QLabel* sourceLine;
    QComboBox* backupListComboBox;
    QLabel* backupTimeLabel;
    QWidget* entriesContainer;
    QList<BackupItemWidget*> categoryItems;
    MyPushButton* restoreButton;
};
