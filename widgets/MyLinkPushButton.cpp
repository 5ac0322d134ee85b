#include "MyLinkPushButton.h"

#include <QMouseEvent>
#include <QPointer>

MyLinkPushButton::MyLinkPushButton(QWidget* parent) : QLabel(parent) {
    // The label itself is the button: a link inside must not take the click.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setCursor(Qt::PointingHandCursor);
}

void MyLinkPushButton::setLinkTexts(const QString& normal, const QString& hover,
                                    const QString& pressed) {
    normalText = normal;
    hoverText = hover;
    pressedText = pressed;
    showState(m_state);
}

void MyLinkPushButton::showState(int state) {
    m_state = state;
    setText(state == 1 ? hoverText : state == 2 ? pressedText : normalText);
}

void MyLinkPushButton::enterEvent(QEnterEvent*) { showState(1); }

void MyLinkPushButton::leaveEvent(QEvent*) { showState(0); }

void MyLinkPushButton::mousePressEvent(QMouseEvent*) { showState(2); }

void MyLinkPushButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPointer<MyLinkPushButton> alive(this);
    emit clicked();
    if (alive) emit clickedSelf(this);
    if (alive) QLabel::mouseReleaseEvent(event);
}
