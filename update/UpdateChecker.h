// The update check with its boxes: the menu entry's check, which always
// answers, and the quiet check after start-up, which speaks only when a newer
// version exists. Both run on the GUI thread.
#pragma once

#include "UpdateService.h"

#include <QObject>

class MyMessageBoxWidget;
class QWidget;

class UpdateChecker : public QObject {
    Q_OBJECT

public:
    // The boxes are centred over window, which also owns the checker.
    explicit UpdateChecker(QWidget* window);

    // Shows the busy box and checks 100 ms later, while the box runs.
    void startUpdateCheck();
    // Checks once, one second from now.
    void startQuietUpdateCheck();

    // The server asked; tests point it at a local one.
    UpdateService& service() { return m_service; }

public slots:
    void checkUpgrade_Timeout_slots();
    void checkUpgrade_quiet_Timeout_slots();

private:
    // Offers the download page when the outcome is a newer version; true then.
    bool offerNewVersion(UpdateOutcome outcome);
    void closeCheckingBox();
    // Fills the captions and the title, centres the box and runs it modally.
    bool runBox(MyMessageBoxWidget& box, const QString& text, int iconKind, int leftMode,
                int rightMode);

    QWidget* m_window;
    UpdateService m_service;
    MyMessageBoxWidget* checkingBox = nullptr;
};
