// One message of a conversation as a chat bubble: its text, and its date in
// small grey letters below, on the bubble picture of its side (a sent message's
// tail points right). Both texts are plain text, never read as markup.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;

class MyShowSmsItem : public QWidget {
    Q_OBJECT

public:
    explicit MyShowSmsItem(QWidget* parent);

    // Moves the bubble and fits its text into width; the height follows the text.
    void placeBubble(int x, int y, int width);
    // Fills the bubble and gives it the size its text needs, the text at most
    // scaled(300) pixels wide.
    void setMessageText(const QString& body, const QString& date);
    // 1: a sent message, tail and picture of the right side; 0: the left.
    void setBubbleSide(int side);
    int bubbleSide() const { return side; }

private:
    // Wraps the text for a bubble of at most width pixels and sizes the bubble to it.
    void fitTo(int width);
    // The labels inside the bubble: the tail's side keeps the wider margin.
    void placeLabels();

    QLabel* backgroundLabel;
    QLabel* contentLabel;
    QLabel* dateLabel;
    QString body;
    int side = 0;
};
