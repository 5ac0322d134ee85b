// What the backup and restore screens share: two framed panels with the action
// button between them, the six category entries with their workers' progress
// and the texts' styles.
#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>

class BackupItemWidget;
class MyPushButton;
class QLabel;
class QWidget;

inline constexpr int kCategoryCount = 6;
// How often a screen shows its worker's progress.
inline constexpr int kProgressTickMs = 200;

// A worker's categoryState and doneCount, alike in both workers.
using CategoryStates = std::array<std::atomic<quint8>, kCategoryCount>;
using CategoryCounts = std::array<std::atomic<quint32>, kCategoryCount>;

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
QString categoryText(const QString& name, qint64 count);

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

// Before a run: no category chosen and nothing done.
void clearCategoryProgress(CategoryStates& states, CategoryCounts& done);
// Before a run: only the ticked entries chosen, shown "Waiting"; the others
// show nothing and are disabled. Returns how many are ticked.
int chooseTickedEntries(const QList<BackupItemWidget*>& entries, CategoryStates& states,
                        CategoryCounts& done);
// One progress tick: an entry at work shows the running animation, a finished
// one "Success"; chosen entries are enabled and read "name (done / total)".
void showCategoryProgress(const QList<BackupItemWidget*>& entries, const QStringList& names,
                          const CategoryStates& states, const CategoryCounts& done,
                          const std::array<quint32, kCategoryCount>& total);
// Every entry back to its check box.
void showCheckBoxes(const QList<BackupItemWidget*>& entries);

// The large arrow button between the panels, with its caption.
void loadActionButtonImages(MyPushButton* button);
void setActionButtonText(MyPushButton* button, const QString& caption);

// picture scaled to the label (smoothly) and shown.
void showScaledPicture(QLabel* label, const QString& path);
// The label centred in the panel at the given base size.
void centreInPanel(QLabel* label, const QLabel* panel, int width, int height);
