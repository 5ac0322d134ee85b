#include "MyMessageBoxWidget.h"

#include <QLabel>
#include <QMovie>
#include <QPainterPath>

#include "MyPushButton.h"
#include "WindowDragger.h"
#include "base/uiscale.h"

MyMessageBoxWidget::MyMessageBoxWidget(QWidget* parent)
    : QDialog(parent),
      yesText(tr("Yes")),
      cancelText(tr("Cancel")),
      okText(tr("OK")),
      noText(tr("NO")),
      leftButton(new MyPushButton(this)),
      rightButton(new MyPushButton(this)),
      titleLabel(new QLabel(this)),
      iconLabel(new QLabel(this)),
      textLabel(new QLabel(this)),
      busyLabel(new QLabel(this)),
      busyMovie(new QMovie(":/images/small_loadimg.gif", QByteArray(), this)) {
    setFixedSize(scaled(630), scaled(250));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setAutoFillBackground(true);
    new WindowDragger(this);
    // Names for style sheets and for finding the parts in tests.
    leftButton->setObjectName("leftButton");
    rightButton->setObjectName("rightButton");
    titleLabel->setObjectName("titleLabel");
    iconLabel->setObjectName("iconLabel");
    textLabel->setObjectName("textLabel");
    busyLabel->setObjectName("busyLabel");

    titleLabel->setGeometry(scaled(5), scaled(5), scaled(400), scaled(20));
    titleLabel->setStyleSheet("QLabel { color: #ebebeb;font: " + QString::number(scaled(16)) +
                              "px;}");
    titleLabel->setTextFormat(Qt::PlainText);
    iconLabel->setGeometry(scaled(30), scaled(70), scaled(72), scaled(72));
    textLabel->setGeometry(scaled(120), scaled(45), width() - scaled(150), scaled(120));
    textLabel->setStyleSheet("QLabel { color: #354e60;font: " + QString::number(scaled(14)) +
                             "px;}");
    textLabel->setTextFormat(Qt::PlainText);
    textLabel->setWordWrap(true);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    busyLabel->setGeometry(scaled(60), scaled(90), scaled(32), scaled(32));
    busyMovie->setScaledSize(busyLabel->size());
    busyLabel->setMovie(busyMovie);
    busyLabel->hide();
    leftButton->hide();
    rightButton->hide();

    connect(leftButton, &MyPushButton::clicked, this, &MyMessageBoxWidget::OK_slots);
    connect(rightButton, &MyPushButton::clicked, this, &MyMessageBoxWidget::No_slots);

    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), scaled(4), scaled(4));
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void MyMessageBoxWidget::setButtonTexts(const QString& yes, const QString& cancel,
                                        const QString& ok, const QString& no) {
    yesText = yes;
    cancelText = cancel;
    okText = ok;
    noText = no;
}

void MyMessageBoxWidget::setContent(const QString& title, const QString& text, int iconKind,
                                    int leftMode, int rightMode) {
    busyLabel->hide();
    busyMovie->stop();
    titleLabel->setText(title);
    textLabel->setText(text);
    leftButton->hide();
    rightButton->hide();

    const int buttonY = height() - scaled(60);
    const int nearX = width() - scaled(140);
    if (leftMode >= 1 && rightMode >= 1) {
        leftButton->setButtonGeometry(width() - scaled(280), buttonY, scaled(120), scaled(32));
        rightButton->setButtonGeometry(nearX, buttonY, scaled(120), scaled(32));
        leftButton->show();
        rightButton->show();
    } else if (leftMode >= 1) {
        leftButton->setButtonGeometry(nearX, buttonY, scaled(120), scaled(32));
        leftButton->show();
    } else if (rightMode >= 1) {
        rightButton->setButtonGeometry(nearX, buttonY, scaled(120), scaled(32));
        rightButton->show();
    }

    const QPixmap background(":/images/dlgbg.png");
    if (!background.isNull()) {
        QPalette p = palette();
        p.setBrush(QPalette::Window, QBrush(background.scaled(size(), Qt::IgnoreAspectRatio,
                                                              Qt::SmoothTransformation)));
        setPalette(p);
    }

    if (iconKind == 3) {
        iconLabel->hide();
        busyLabel->show();
        busyMovie->start();
    } else {
        const QPixmap icons(":/images/dlgtishi.png");
        const QRect cell = iconKind == 0 ? QRect(QPoint(4, 4), QPoint(75, 75))
                                         : QRect(QPoint(77, 4), QPoint(148, 75));
        iconLabel->setPixmap(icons.isNull() ? QPixmap()
                                            : icons.copy(cell).scaled(iconLabel->size(),
                                                                      Qt::IgnoreAspectRatio,
                                                                      Qt::SmoothTransformation));
        iconLabel->show();
    }

    const QPixmap buttons(":/images/dlgbtn.png");
    leftButton->setSpriteCells(buttons, 0, 120, 32, 0, 34, 0, 0);
    rightButton->setSpriteCells(buttons, 139, 120, 32, 0, 34, 0, 0);
    leftButton->setLayoutMode(3);
    rightButton->setLayoutMode(3);
    leftButton->setButtonText(leftMode == 1 ? yesText : okText);
    rightButton->setButtonText(rightMode == 1 ? cancelText : noText);
}

bool MyMessageBoxWidget::ask(const QWidget* owner, const QString& title, const QString& text, int iconKind,
                             int leftMode, int rightMode) {
    MyMessageBoxWidget box;
    box.setContent(title, text, iconKind, leftMode, rightMode);
    box.centerOver(owner);
    box.exec();
    return box.isAccepted();
}

void MyMessageBoxWidget::centerOver(const QWidget* widget) {
    if (!widget) return;
    const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    move(origin.x() + (widget->width() - width()) / 2,
         origin.y() + (widget->height() - height()) / 2);
}

void MyMessageBoxWidget::closeWith(bool result) {
    busyLabel->hide();
    busyMovie->stop();
    accepted = result;
    close();
}

void MyMessageBoxWidget::OK_slots() { closeWith(true); }

void MyMessageBoxWidget::No_slots() { closeWith(false); }
