#include "UpdateChecker.h"

#include "MyMessageBoxWidget.h"

#include <QDesktopServices>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int kMenuCheckDelayMs = 100;
constexpr int kQuietCheckDelayMs = 1000;
}  // namespace

UpdateChecker::UpdateChecker(QWidget* window) : QObject(window), m_window(window) {}

void UpdateChecker::startUpdateCheck() {
    QTimer::singleShot(kMenuCheckDelayMs, this, &UpdateChecker::checkUpgrade_Timeout_slots);
    MyMessageBoxWidget box;
    checkingBox = &box;
    runBox(box, checkingForUpdatesText(), 3, 0, 0);
    // Closed by the check, or by the user (Esc) before it ended.
    checkingBox = nullptr;
}

void UpdateChecker::startQuietUpdateCheck() {
    QTimer::singleShot(kQuietCheckDelayMs, this,
                       &UpdateChecker::checkUpgrade_quiet_Timeout_slots);
}

void UpdateChecker::checkUpgrade_Timeout_slots() {
    const UpdateOutcome outcome = m_service.check();
    if (offerNewVersion(outcome)) return;
    closeCheckingBox();
    // A check that failed says so instead of calling this version the latest.
    MyMessageBoxWidget box;
    runBox(box, updateOutcomeText(outcome), outcome == UpdateOutcome::Latest ? 0 : 2, 1, 0);
}

void UpdateChecker::checkUpgrade_quiet_Timeout_slots() { offerNewVersion(m_service.check()); }

bool UpdateChecker::offerNewVersion(UpdateOutcome outcome) {
    if (outcome != UpdateOutcome::NewVersion) return false;
    closeCheckingBox();
    MyMessageBoxWidget box;
    if (runBox(box, updateOutcomeText(outcome), 0, 1, 4)) {
        QDesktopServices::openUrl(m_service.downloadPageUrl());
    }
    return true;
}

void UpdateChecker::closeCheckingBox() {
    if (!checkingBox) return;
    checkingBox->No_slots();  // stops the animation and closes the box
    checkingBox = nullptr;
}

bool UpdateChecker::runBox(MyMessageBoxWidget& box, const QString& text, int iconKind,
                           int leftMode, int rightMode) {
    box.setContent(tr("Tolvane") + QLatin1Char(' ') + tr("Mobrel"), text, iconKind, leftMode,
                   rightMode);
    box.centerOver(m_window);
    box.exec();
    return box.isAccepted();
}
