// A plain label of the widget kit. Mouse, enter and leave events go to QLabel,
// which does not use a click, so it reaches the label's parent.
#pragma once

#include <QLabel>

class MyLabel : public QLabel {
    Q_OBJECT

public:
    explicit MyLabel(QWidget* parent = nullptr);
};
