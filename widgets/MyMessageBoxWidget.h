// The frameless message box of the program: a title, an icon (or a running
// animation), a message and one or two image buttons. Create it for one
// message, fill the captions, setContent(), centerOver() the main window,
// exec(), then read isAccepted().
#pragma once

#include <QDialog>

class MyPushButton;
class QLabel;
class QMovie;

class MyMessageBoxWidget : public QDialog {
    Q_OBJECT

public:
    explicit MyMessageBoxWidget(QWidget* parent = nullptr);

    // The captions: left button yes (mode 1) or ok (mode 2); right button
    // cancel (mode 1) or no (mode 2). Set them before setContent().
    void setButtonTexts(const QString& yes, const QString& cancel, const QString& ok,
                        const QString& no);

    // iconKind 0 and 2 pick an icon, 3 shows the running animation instead. A
    // button mode below 1 hides that button. Title and text are plain text.
    void setContent(const QString& title, const QString& text, int iconKind, int leftMode,
                    int rightMode);

    // Moves the box so that it is centred over widget (on the screen).
    void centerOver(const QWidget* widget);

    // A modal box with the usual captions ("Yes", "Cancel", "OK", "NO"), centred
    // over owner; true when its left button closed it.
    static bool ask(const QWidget* owner, const QString& title, const QString& text, int iconKind,
                    int leftMode, int rightMode);

    // True when the left button closed the box, false for the right one.
    bool isAccepted() const { return accepted; }
    void setAccepted(bool on) { accepted = on; }

public slots:
    void OK_slots();
    void No_slots();

private:
    void closeWith(bool result);

    bool accepted = false;
    QString yesText;
    QString cancelText;
    QString okText;
    QString noText;
    MyPushButton* leftButton;
    MyPushButton* rightButton;
    QLabel* titleLabel;
    QLabel* iconLabel;
    QLabel* textLabel;
    QLabel* busyLabel;
    QMovie* busyMovie;
};
