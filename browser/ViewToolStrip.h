// The strip on top of every list and media view: "Select All", the refresh
// button and three captioned buttons, left to right; a view may place more
// widgets of its own on the strip's right.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

class MyPushButton;
class QCheckBox;

class ViewToolStrip : public QWidget {
public:
    static constexpr int kHeight = 48;
    static constexpr int kButtonHeight = 28;

    // names: the object names of the three captioned buttons.
    ViewToolStrip(const std::array<const char*, 3>& names, QWidget* parent);

    // Across the top of the parent, width wide.
    void layoutChildren(int width);
    void loadImages();
    // The strip's look and the buttons' captions.
    void setTexts(const std::array<QString, 3>& captions);
    // The select-all box and the four buttons.
    void setCommandsEnabled(bool on);

    // A Lato text style of the strip's kind.
    static QString textStyle(const char* widget, const char* colour, int px);

    QCheckBox* const selectAll;
    MyPushButton* const refresh;
    const std::array<MyPushButton*, 3> buttons;
};
