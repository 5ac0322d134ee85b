// A text button that looks like a hyperlink: one text per state (normally rich
// text in different colours) and clicked() on release.
#pragma once

#include <QLabel>

class MyLinkPushButton : public QLabel {
    Q_OBJECT

public:
    explicit MyLinkPushButton(QWidget* parent = nullptr);

    // Stores the texts of the normal, hover and pressed states and shows the
    // one of the current state.
    void setLinkTexts(const QString& normal, const QString& hover, const QString& pressed);

signals:
    void clicked();
    void clickedSelf(void* button);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showState(int state);

    QString normalText;
    QString hoverText;
    QString pressedText;
    int m_state = 0;  // 0 normal, 1 hover, 2 pressed
};
