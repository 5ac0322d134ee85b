#include "MyLabel.h"

MyLabel::MyLabel(QWidget* parent) : QLabel(parent) {}
