#include "ViewToolStrip.h"

#include <QCheckBox>
#include <QPixmap>

#include "MyPushButton.h"
#include "base/uiscale.h"

ViewToolStrip::ViewToolStrip(const std::array<const char*, 3>& names, QWidget* parent)
    : QWidget(parent),
      selectAll(new QCheckBox(this)),
      refresh(new MyPushButton(this)),
      buttons{new MyPushButton(this), new MyPushButton(this), new MyPushButton(this)} {
    setObjectName("toolBar");
    selectAll->setObjectName("selectAllCheckBox");
    refresh->setObjectName("flushButton");
    for (size_t i = 0; i < buttons.size(); ++i) buttons[i]->setObjectName(names[i]);
}

QString ViewToolStrip::textStyle(const char* widget, const char* colour, int px) {
    return QString("%1 { color: %2;font:%3px;font-family:\"Lato\";}").arg(widget, colour).arg(scaled(px));
}

void ViewToolStrip::layoutChildren(int width) {
    const int strip = scaled(kHeight);
    const int h = scaled(kButtonHeight);
    const int y = (strip - h) / 2;
    setGeometry(0, 0, width, strip);
    int x = scaled(12);
    selectAll->setGeometry(x, y, scaled(180), h);
    x += scaled(188);
    refresh->setButtonGeometry(x, y, scaled(28), h);
    x += scaled(40);
    for (MyPushButton* button : buttons) {
        button->setButtonGeometry(x, y, scaled(90), h);
        x += scaled(100);
    }
}

void ViewToolStrip::loadImages() {
    refresh->setSpriteCells(QPixmap(":/images/flush.png"), 0, 28, 28, 0, 30, 60, 90);
    refresh->setLayoutMode(3);
    const QPixmap plate(":/images/userdo.png");
    for (MyPushButton* button : buttons) {
        button->setSpriteCells(plate, 0, 90, 28, 0, 30, 60, 90);
        button->setLayoutMode(6);
    }
}

void ViewToolStrip::setTexts(const std::array<QString, 3>& captions) {
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet("QWidget#toolBar { background-color: #f3f7fa; border-bottom: 1px solid #d5dee6; }");
    selectAll->setStyleSheet(textStyle("QCheckBox", "#333333", 13));
    for (size_t i = 0; i < buttons.size(); ++i) {
        MyPushButton* button = buttons[i];
        button->setButtonText(captions[i]);
        button->setButtonAlignment(Qt::AlignCenter);
        button->setButtonStyles(textStyle("QLabel", "#333333", 13), textStyle("QLabel", "#b9b8b8", 13));
        button->setButtonEnabled(button->isButtonEnabled());  // applies the style of its state
    }
}

void ViewToolStrip::setCommandsEnabled(bool on) {
    selectAll->setEnabled(on);
    refresh->setButtonEnabled(on);
    for (MyPushButton* button : buttons) button->setButtonEnabled(on);
}
