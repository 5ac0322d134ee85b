#include "MyPushButton.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPointer>

#include "MyLabel.h"

MyPushButton::MyPushButton(QWidget* parent) : QLabel(parent) {
    setContentsMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(174, 174, 174));
    setPalette(p);
}

void MyPushButton::setStateImages(const QString& normal, const QString& hover,
                                  const QString& pressed, const QString& disabled) {
    useSprite = false;
    const QString paths[4] = {normal, hover, pressed, disabled};
    for (int i = 0; i < 4; ++i) {
        imagePaths[i] = paths[i];
        images[i] = paths[i].isEmpty() ? QPixmap() : QPixmap(paths[i]);
        if (!images[i].isNull()) rects[i] = images[i].rect();
    }
    setLayoutMode(m_layoutMode);
}

void MyPushButton::setSpriteImage(const QPixmap& sprite) {
    spriteImage = sprite;
    useSprite = true;
}

void MyPushButton::setStateRect(State state, int x, int y, int width, int height) {
    rects[state] = QRect(x, y, width, height);
}

void MyPushButton::setNormalRect(int x, int y, int width, int height) {
    setStateRect(Normal, x, y, width, height);
}

void MyPushButton::setHoverRect(int x, int y, int width, int height) {
    setStateRect(Hover, x, y, width, height);
}

void MyPushButton::setPressedRect(int x, int y, int width, int height) {
    setStateRect(Pressed, x, y, width, height);
}

void MyPushButton::setDisabledRect(int x, int y, int width, int height) {
    setStateRect(Disabled, x, y, width, height);
}

void MyPushButton::setSpriteCells(const QPixmap& sprite, int x, int width, int height,
                                  int normalY, int hoverY, int pressedY, int disabledY) {
    setSpriteImage(sprite);
    setNormalRect(x, normalY, width, height);
    setHoverRect(x, hoverY, width, height);
    setPressedRect(x, pressedY, width, height);
    setDisabledRect(x, disabledY, width, height);
    repaintState();
}

void MyPushButton::setStateColors(const QColor& normal, const QColor& hover,
                                  const QColor& pressed, const QColor& disabled) {
    colors[Normal] = normal;
    colors[Hover] = hover;
    colors[Pressed] = pressed;
    colors[Disabled] = disabled;
    repaintState();
}

MyLabel* MyPushButton::makeSubLabel() {
    auto* label = new MyLabel(this);
    label->setGeometry(rect());
    label->show();
    return label;
}

void MyPushButton::setLayoutMode(int mode) {
    m_layoutMode = mode;
    const bool wantIcon = mode == 5;
    const bool wantCaption = mode == 5 || mode == 6;
    if (wantIcon && !m_iconLabel) {
        m_iconLabel = makeSubLabel();
        m_iconLabel->installEventFilter(this);  // its picture follows its size
    } else if (!wantIcon && m_iconLabel) {
        delete m_iconLabel;
        m_iconLabel = nullptr;
    }
    if (wantCaption && !m_captionLabel) {
        m_captionLabel = makeSubLabel();
        m_captionLabel->setAlignment(alignment());
    } else if (!wantCaption && m_captionLabel) {
        delete m_captionLabel;
        m_captionLabel = nullptr;
    }
    if (m_captionLabel) m_captionLabel->setText(captionText);
    repaintState();
}

void MyPushButton::setButtonText(const QString& text) {
    setLayoutMode(m_layoutMode);
    captionText = text;
    if (m_captionLabel) {
        m_captionLabel->setText(text);
        setText(QString());
    } else {
        setText(text);
    }
}

void MyPushButton::setButtonAlignment(Qt::Alignment flags) {
    setLayoutMode(m_layoutMode);
    setAlignment(flags);
    if (m_captionLabel) m_captionLabel->setAlignment(flags);
}

void MyPushButton::setButtonGeometry(int x, int y, int width, int height) {
    setGeometry(x, y, width, height);
    setLayoutMode(m_layoutMode);
}

void MyPushButton::setButtonStyles(const QString& enabledStyleSheet,
                                   const QString& disabledStyleSheet) {
    enabledStyle = enabledStyleSheet;
    disabledStyle = disabledStyleSheet;
}

void MyPushButton::setButtonEnabled(bool on) {
    setEnabled(on);
    enabled = on;
    currentState = Normal;
    const QString& style = on ? enabledStyle : disabledStyle;
    if (!style.isEmpty()) {
        if (m_captionLabel) m_captionLabel->setStyleSheet(style);
        setStyleSheet(style);
    }
    repaintState();
}

void MyPushButton::repaintState() { showState(shownState()); }

void MyPushButton::showState(State state) {
    const bool colourButton = !useSprite && imagePaths[Hover].isEmpty();
    QWidget* target = colourButton || !m_iconLabel ? static_cast<QWidget*>(this) : m_iconLabel;
    QBrush brush(colors[state]);
    if (!colourButton) {
        const QPixmap& source = useSprite ? spriteImage : images[state];
        const QPixmap cell = source.isNull() ? QPixmap() : source.copy(rects[state]);
        // A missing image keeps the state's colour rather than painting nothing.
        if (!cell.isNull() && !target->size().isEmpty()) {
            brush = QBrush(cell.scaled(target->size(), Qt::IgnoreAspectRatio,
                                       Qt::SmoothTransformation));
        }
    }
    QPalette p = target->palette();
    p.setBrush(QPalette::Window, brush);
    target->setPalette(p);
    target->setAutoFillBackground(true);
    if (target != this) setAutoFillBackground(false);
    if (m_layoutMode == 0) setAutoFillBackground(false);
}

void MyPushButton::enterEvent(QEnterEvent*) {
    if (!enabled) return;
    currentState = Hover;
    repaintState();
    emit enterButton();
}

void MyPushButton::leaveEvent(QEvent*) {
    if (!enabled) return;
    currentState = Normal;
    repaintState();
    emit leaveButton();
}

void MyPushButton::mousePressEvent(QMouseEvent* event) {
    if (!enabled) {
        event->ignore();
        return;
    }
    currentState = Pressed;
    repaintState();
    emit Pressclicked();
}

void MyPushButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!enabled) {
        event->ignore();
        return;
    }
    currentState = Normal;
    repaintState();
    const QPointer<MyPushButton> alive(this);  // a slot may delete the button
    emit clicked();
    if (alive) emit clickedSelf(this);
    if (alive) QLabel::mouseReleaseEvent(event);
}

void MyPushButton::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    repaintState();
}

// A new style sheet restores the palette it found first; put the state's picture back.
void MyPushButton::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::StyleChange) repaintState();
}

bool MyPushButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_iconLabel && event->type() == QEvent::Resize) repaintState();
    return QLabel::eventFilter(watched, event);
}
