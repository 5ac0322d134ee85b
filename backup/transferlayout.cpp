#include "transferlayout.h"

#include "BackupDataThread.h"
#include "BackupItemWidget.h"
#include "MyPushButton.h"
#include "RestoreDataThread.h"
#include "base/uiscale.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>

namespace {

constexpr int kPanelWidth = 299;
constexpr int kPanelHeight = 370;
constexpr int kButtonWidth = 124;
constexpr int kButtonHeight = 77;
// The panels and the button sit this far (device pixels) above the page's middle.
constexpr int kUpwardShift = 30;

// Entry statuses of BackupItemWidget.
constexpr int kShowCheckBox = 0;
constexpr int kWaiting = 1;
constexpr int kRunning = 2;
constexpr int kSucceeded = 3;
constexpr int kLeftOut = 4;

// A category's states in a worker; the restore worker numbers them alike.
constexpr quint8 kNotChosen = BackupDataThread::kNotChosen;
constexpr quint8 kChosen = BackupDataThread::kChosen;
constexpr quint8 kAtWork = BackupDataThread::kWriting;
constexpr quint8 kDone = BackupDataThread::kWritten;
static_assert(RestoreDataThread::kNotChosen == kNotChosen && RestoreDataThread::kChosen == kChosen &&
              RestoreDataThread::kRestoring == kAtWork && RestoreDataThread::kRestored == kDone);

constexpr const char* kCategoryIcons[kCategoryCount] = {
    ":/images/icon/contacts.png", ":/images/icon/sms.png",    ":/images/icon/calllog.png",
    ":/images/icon/photos.png",   ":/images/icon/videos.png", ":/images/icon/musics.png"};

}  // namespace

TransferLayout transferLayout(const QSize& page) {
    const int w = page.width();
    const int h = page.height();
    const int pw = scaled(kPanelWidth);
    const int ph = scaled(kPanelHeight);
    const int panelY = (h - ph) / 2 - kUpwardShift;
    TransferLayout layout;
    layout.leftPanel = QRect((w / 2 - pw) / 2 - scaled(50), panelY, pw, ph);
    layout.rightPanel = QRect(w / 2 + (w / 2 - pw) / 2 + scaled(50), panelY, pw, ph);
    layout.actionButton = QRect((w - scaled(kButtonWidth)) / 2,
                                (h - scaled(kButtonHeight)) / 2 - kUpwardShift,
                                scaled(kButtonWidth), scaled(kButtonHeight));
    return layout;
}

QStringList categoryNames() {
    const char* names[kCategoryCount] = {"Contacts", "SMS",    "Call Logs",
                                         "Photos",   "Videos", "Musics"};
    QStringList list;
    for (const char* name : names) list << QCoreApplication::translate("Mobrel", name);
    return list;
}

QString categoryText(const QString& name, qint64 count) {
    return name + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')');
}

QString labelStyle(const char* colour, int size) {
    return QStringLiteral("QLabel { color: %1;font:%2px;font-family:\"Lato\";}")
        .arg(QLatin1String(colour))
        .arg(size);
}

QLabel* makePanel(QWidget* page) {
    auto* panel = new QLabel(page);
    panel->setScaledContents(true);
    return panel;
}

QLabel* makeHeadingLine(QLabel* panel) {
    auto* line = new QLabel(panel);
    line->setStyleSheet(QStringLiteral("QLabel { background-color: #d5dee6; }"));
    return line;
}

void placeHeadingLine(QLabel* line, const QLabel* panel) {
    line->setGeometry(scaled(30), scaled(52), panel->width() - scaled(60), 1);
}

QList<BackupItemWidget*> makeCategoryEntries(QWidget* container) {
    QList<BackupItemWidget*> entries;
    for (int i = 0; i < kCategoryCount; ++i) {
        auto* entry = new BackupItemWidget(container);
        entry->setItemIcon(QLatin1String(kCategoryIcons[i]));
        entries << entry;
    }
    return entries;
}

void placeCategoryEntries(QWidget* container, const QList<BackupItemWidget*>& entries,
                          const QLabel* panel) {
    container->setGeometry(scaled(25), scaled(70), panel->width() - scaled(50),
                           panel->height() - scaled(140));
    // The entries take base units; the container's width is the panel's less 50.
    for (int i = 0; i < entries.size(); ++i) {
        entries[i]->setItemGeometry(0, 40 * i, kPanelWidth - 50, 32);
    }
}

void clearCategoryProgress(CategoryStates& states, CategoryCounts& done) {
    for (int type = 0; type < kCategoryCount; ++type) {
        states[type] = kNotChosen;
        done[type] = 0;
    }
}

int chooseTickedEntries(const QList<BackupItemWidget*>& entries, CategoryStates& states,
                        CategoryCounts& done) {
    clearCategoryProgress(states, done);
    int chosen = 0;
    for (int type = 0; type < kCategoryCount; ++type) {
        if (entries[type]->isChecked()) {
            states[type] = kChosen;
            entries[type]->setStatus(kWaiting);
            ++chosen;
        } else {
            entries[type]->setStatus(kLeftOut);
            entries[type]->setItemEnabled(false);
        }
    }
    return chosen;
}

void showCategoryProgress(const QList<BackupItemWidget*>& entries, const QStringList& names,
                          const CategoryStates& states, const CategoryCounts& done,
                          const std::array<quint32, kCategoryCount>& total) {
    for (int type = 0; type < kCategoryCount; ++type) {
        const quint8 state = states[type];
        BackupItemWidget* entry = entries[type];
        if (state == kAtWork) entry->setStatus(kRunning);
        if (state == kDone) entry->setStatus(kSucceeded);
        entry->setItemEnabled(state != kNotChosen);
        if (state != kNotChosen) {
            entry->setItemText(names.value(type) + QStringLiteral(" (") + QString::number(done[type]) +
                               QStringLiteral(" / ") + QString::number(total[type]) + QLatin1Char(')'));
        }
    }
}

void showCheckBoxes(const QList<BackupItemWidget*>& entries) {
    for (BackupItemWidget* entry : entries) entry->setStatus(kShowCheckBox);
}

void loadActionButtonImages(MyPushButton* button) {
    button->setSpriteCells(QPixmap(QStringLiteral(":/images/backupbtn2.png")), 0, kButtonWidth,
                           kButtonHeight, 0, 79, 158, 237);
    button->setLayoutMode(6);
}

void setActionButtonText(MyPushButton* button, const QString& caption) {
    button->setButtonText(caption);
    button->setButtonAlignment(Qt::AlignCenter);
    button->setButtonStyles(labelStyle("#333333", scaled(14)), labelStyle("#b9b8b8", scaled(14)));
    button->setButtonEnabled(button->isButtonEnabled());  // applies the style of its state
}

void showScaledPicture(QLabel* label, const QString& path) {
    label->setPixmap(
        QPixmap(path).scaled(label->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void centreInPanel(QLabel* label, const QLabel* panel, int width, int height) {
    label->setGeometry((panel->width() - scaled(width)) / 2, (panel->height() - scaled(height)) / 2,
                       scaled(width), scaled(height));
}
