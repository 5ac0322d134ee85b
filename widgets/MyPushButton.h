// An image button: a label whose picture follows the states normal, hover,
// pressed and disabled. Pictures come from one image per state or from cells
// of one sprite; a button without images shows plain colours.
//
// Layout modes: 0 text only (no background), 3 picture as background, 5 picture
// in iconLabel() with the text in captionLabel() (the owner places both), 6
// picture as background with the text in captionLabel() on top.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QRect>

class MyLabel;

class MyPushButton : public QLabel {
    Q_OBJECT

public:
    enum State { Normal, Hover, Pressed, Disabled };

    explicit MyPushButton(QWidget* parent = nullptr);

    // One image per state; an empty path leaves that state's picture unset.
    void setStateImages(const QString& normal, const QString& hover, const QString& pressed,
                        const QString& disabled);

    // Takes the state pictures from sprite, cut by the four rectangles below.
    void setSpriteImage(const QPixmap& sprite);
    void setNormalRect(int x, int y, int width, int height);
    void setHoverRect(int x, int y, int width, int height);
    void setPressedRect(int x, int y, int width, int height);
    void setDisabledRect(int x, int y, int width, int height);
    // The common sprite form: one column at x of width × height cells, one row
    // per state.
    void setSpriteCells(const QPixmap& sprite, int x, int width, int height, int normalY,
                        int hoverY, int pressedY, int disabledY);

    // Fill colours of a button without images (and of a state whose picture is missing).
    void setStateColors(const QColor& normal, const QColor& hover, const QColor& pressed,
                        const QColor& disabled);

    void setLayoutMode(int mode);
    int layoutMode() const { return m_layoutMode; }

    // The text goes to captionLabel() when it exists, else to the button itself.
    void setButtonText(const QString& text);
    QString buttonText() const { return captionText; }
    void setButtonAlignment(Qt::Alignment flags);
    // Geometry in device pixels; re-applies the layout mode.
    void setButtonGeometry(int x, int y, int width, int height);

    // Enables or disables the button, shows the disabled or normal picture and
    // applies the matching style sheet (an empty one is not applied).
    void setButtonEnabled(bool on);
    bool isButtonEnabled() const { return enabled; }
    void setButtonStyles(const QString& enabledStyleSheet, const QString& disabledStyleSheet);

    // The sub-labels of modes 5 and 6; null in the other modes.
    MyLabel* iconLabel() const { return m_iconLabel; }
    MyLabel* captionLabel() const { return m_captionLabel; }

    // The state shown now (Disabled while the button is disabled).
    State shownState() const { return enabled ? currentState : Disabled; }

signals:
    void clicked();
    void clickedSelf(void* button);
    void Pressclicked();
    void enterButton();
    void leaveButton();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setStateRect(State state, int x, int y, int width, int height);
    void showState(State state);
    void repaintState();
    MyLabel* makeSubLabel();

    QString imagePaths[4];
    QPixmap images[4];
    bool enabled = true;
    QPixmap spriteImage;
    bool useSprite = false;
    QRect rects[4];
    QColor colors[4] = {Qt::gray, Qt::lightGray, Qt::darkGray, Qt::gray};
    int m_layoutMode = 3;
    MyLabel* m_iconLabel = nullptr;
    MyLabel* m_captionLabel = nullptr;
    QString captionText;
    QString enabledStyle;
    QString disabledStyle;
    State currentState = Normal;
};
