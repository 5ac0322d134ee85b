// What the backup and restore screens share: two framed panels with the action
// button between them, the six category entries and the texts' styles.
#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class BackupItemWidget;
class MyPushButton;
class QLabel;
class QWidget;

inline constexpr int kCategoryCount = 6;

// In device pixels, for a page of the given size.
struct TransferLayout {
    QRect leftPanel;
    QRect rightPanel;
    QRect actionButton;
};
TransferLayout transferLayout(const QSize& page);

// "Contacts", "SMS", "Call Logs", "Photos", "Videos", "Musics" (translated),
// indexed by itemType.
QStringList categoryNames();

// name + " (" + count + ")"
QString categoryText(const QString& name, int count);

// "QLabel { color: <colour>;font:<size>px;font-family:"Lato";}"
QString labelStyle(const char* colour, int size);

// A panel: a label that shows the panel frame and holds the panel's children.
QLabel* makePanel(QWidget* page);
// The one-pixel line under a panel's heading.
QLabel* makeHeadingLine(QLabel* panel);
void placeHeadingLine(QLabel* line, const QLabel* panel);

// The six entries inside container, one per itemType, with their icons.
QList<BackupItemWidget*> makeCategoryEntries(QWidget* container);
// The container at (25, 70, pw - 50, ph - 140) and entry i at (0, 40 i).
void placeCategoryEntries(QWidget* container, const QList<BackupItemWidget*>& entries,
                          const QLabel* panel);

// The large arrow button between the panels, with its caption.
void loadActionButtonImages(MyPushButton* button);
void setActionButtonText(MyPushButton* button, const QString& caption);

// picture scaled to the label (smoothly) and shown.
void showScaledPicture(QLabel* label, const QString& path);
// The label centred in the panel at the given base size.
void centreInPanel(QLabel* label, const QLabel* panel, int width, int height);
