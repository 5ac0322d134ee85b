#include "MyShowSmsItem.h"

#include <QLabel>
#include <QStringList>
#include <QTextLayout>

#include "base/uiscale.h"

namespace {

constexpr int maxTextWidth = 300;
constexpr int tailMargin = 22;  // the tail's side: the picture's 12-pixel tail and a margin
constexpr int sideMargin = 10;
constexpr int topMargin = 8;
constexpr int dateGap = 4;
constexpr int bottomMargin = 8;

// The text with a line feed wherever it must break to stay within width: at a
// word boundary, or inside a word too long for a line (a link, say).
QString wrappedText(const QString& text, const QFont& font, int width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    for (const QString& paragraph : text.split('\n')) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines.join('\n');
}

}  // namespace

MyShowSmsItem::MyShowSmsItem(QWidget* parent)
    : QWidget(parent),
      backgroundLabel(new QLabel(this)),
      contentLabel(new QLabel(this)),
      dateLabel(new QLabel(this)) {
    backgroundLabel->setObjectName("backgroundLabel");
    contentLabel->setObjectName("contentLabel");
    dateLabel->setObjectName("dateLabel");
    contentLabel->setTextFormat(Qt::PlainText);
    dateLabel->setTextFormat(Qt::PlainText);
    contentLabel->setStyleSheet(
        QString("QLabel { color: #333333;font: %1px;font-family:\"Lato\";}").arg(scaled(13)));
    dateLabel->setStyleSheet("QLabel { color: #6c6c6c;font: " + QString::number(scaled(10)) +
                             "px;font-family:\"Lato\";}");
    setBubbleSide(0);
}

void MyShowSmsItem::setMessageText(const QString& text, const QString& date) {
    body = text;
    dateLabel->setText(date);
    fitTo(QWIDGETSIZE_MAX);
}

void MyShowSmsItem::placeBubble(int x, int y, int width) {
    move(x, y);
    fitTo(width);
}

void MyShowSmsItem::setBubbleSide(int bubbleSide) {
    side = bubbleSide;
    // The picture stretched to the bubble by its nine parts, so that its
    // rounded corners and its tail keep their shape at any size: the tail's
    // side takes 24 of its pixels (tail and corner), the other sides 12.
    const int rightPart = side == 1 ? 24 : 12;
    const int leftPart = side == 1 ? 12 : 24;
    backgroundLabel->setStyleSheet(
        QString("QLabel { border-image: url(%1) 12 %2 12 %3 stretch; border-width: %4px %5px %4px %6px; }")
            .arg(side == 1 ? ":/images/sms-right.png" : ":/images/sms-left.png")
            .arg(rightPart)
            .arg(leftPart)
            .arg(scaled(12))
            .arg(scaled(rightPart))
            .arg(scaled(leftPart)));
    placeLabels();
}

void MyShowSmsItem::fitTo(int width) {
    const int margins = scaled(tailMargin) + scaled(sideMargin);
    const int textWidth = qMax(1, qMin(scaled(maxTextWidth), width - margins));
    contentLabel->ensurePolished();  // the style sheet's font
    dateLabel->ensurePolished();
    contentLabel->setText(wrappedText(body, contentLabel->font(), textWidth));
    contentLabel->resize(contentLabel->sizeHint().boundedTo(QSize(textWidth, QWIDGETSIZE_MAX)));
    dateLabel->resize(dateLabel->sizeHint().boundedTo(QSize(textWidth, QWIDGETSIZE_MAX)));
    resize(qMax(contentLabel->width(), dateLabel->width()) + margins,
           scaled(topMargin) + contentLabel->height() + scaled(dateGap) + dateLabel->height() + scaled(bottomMargin));
    placeLabels();
}

void MyShowSmsItem::placeLabels() {
    const int left = side == 1 ? scaled(sideMargin) : scaled(tailMargin);
    backgroundLabel->setGeometry(rect());
    contentLabel->move(left, scaled(topMargin));
    dateLabel->move(left, contentLabel->y() + contentLabel->height() + scaled(dateGap));
}
