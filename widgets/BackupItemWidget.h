// One category entry of the backup and restore lists and of the data
// browser's left column: an icon, the name with its count, an image check box,
// and in the check box's place a status text or a running animation.
#pragma once

#include <QWidget>

class MyPushButton;
class QLabel;
class QMovie;

class BackupItemWidget : public QWidget {
    Q_OBJECT

public:
    explicit BackupItemWidget(QWidget* parent = nullptr);

    // 0 check box, 1 "Waiting", 2 running animation, 3 "Success", 4 nothing.
    void setStatus(int status);

    void setChecked(bool on);
    bool isChecked() const { return checked; }

    void setItemText(const QString& text);
    // The same image for the icon's four states.
    void setItemIcon(const QString& path);

    void setItemEnabled(bool on);
    bool isItemEnabled() const { return itemEnabled; }

    // Show the highlight while the pointer is over the entry.
    void setHoverHighlight(bool on) { hoverHighlight = on; }
    void showHighlight();

    // Places the entry and its children; all values in base units.
    void setItemGeometry(int x, int y, int width, int height);

signals:
    void clicked(void* entry);

public slots:
    void m_picbutton_slots();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setHighlightColour(const QColor& colour);
    void styleNameLabel();

    MyPushButton* iconButton;
    QLabel* hoverFrame;
    QLabel* nameLabel;
    MyPushButton* checkButton;
    bool checked = false;
    bool itemEnabled = true;
    bool hoverHighlight = false;
    QLabel* statusLabel;
    QLabel* busyLabel;
    QMovie* busyMovie;
};
