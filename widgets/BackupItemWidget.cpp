#include "BackupItemWidget.h"

#include <QLabel>
#include <QMouseEvent>
#include <QMovie>

#include "MyPushButton.h"
#include "base/uiscale.h"

namespace {

QString labelStyle(const char* colour) {
    return QString("QLabel { color: %1;font: %2px;font-family:\"Lato\";}")
        .arg(QLatin1String(colour))
        .arg(scaled(14));
}

}  // namespace

BackupItemWidget::BackupItemWidget(QWidget* parent)
    : QWidget(parent),
      iconButton(new MyPushButton(this)),
      hoverFrame(new QLabel(this)),
      nameLabel(new QLabel(this)),
      checkButton(new MyPushButton(this)),
      statusLabel(new QLabel(this)),
      busyLabel(new QLabel(this)),
      busyMovie(new QMovie(":/images/small_loadimg2.gif", QByteArray(), this)) {
    // Names for style sheets and for finding the parts in tests.
    iconButton->setObjectName("iconButton");
    hoverFrame->setObjectName("hoverFrame");
    nameLabel->setObjectName("nameLabel");
    checkButton->setObjectName("checkButton");
    statusLabel->setObjectName("statusLabel");
    busyLabel->setObjectName("busyLabel");
    hoverFrame->lower();  // behind everything else of the entry
    hoverFrame->setAutoFillBackground(true);
    setHighlightColour(QColor(244, 244, 244, 180));
    hoverFrame->hide();
    nameLabel->setTextFormat(Qt::PlainText);  // the device entry shows the phone's own name
    nameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    styleNameLabel();
    statusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusLabel->setStyleSheet(labelStyle("#42586a"));
    busyLabel->setMovie(busyMovie);
    connect(checkButton, &MyPushButton::clicked, this, &BackupItemWidget::m_picbutton_slots);
    setChecked(false);
    setStatus(0);
}

void BackupItemWidget::setStatus(int status) {
    checkButton->setVisible(status == 0);
    statusLabel->setVisible(status == 1 || status == 3);
    if (status == 1) statusLabel->setText(tr("Waiting"));
    if (status == 3) statusLabel->setText(tr("Success"));
    busyLabel->setVisible(status == 2);
    if (status == 2) {
        busyMovie->start();
    } else {
        busyMovie->stop();
    }
}

void BackupItemWidget::setChecked(bool on) {
    checked = on;
    const QString kind = on ? "checked" : "uncheck";
    const QString base = ":/images/check/" + kind;
    checkButton->setStateImages(base + "1.png", base + "2.png", base + "3.png", base + "4.png");
}

void BackupItemWidget::m_picbutton_slots() { setChecked(!checked); }

void BackupItemWidget::setItemText(const QString& text) {
    nameLabel->setText(text);
    styleNameLabel();
}

void BackupItemWidget::setItemIcon(const QString& path) {
    iconButton->setStateImages(path, path, path, path);
}

void BackupItemWidget::styleNameLabel() {
    nameLabel->setStyleSheet(labelStyle(itemEnabled ? "#42586a" : "#b9b8b8"));
}

void BackupItemWidget::setItemEnabled(bool on) {
    setEnabled(on);
    iconButton->setButtonEnabled(on);
    checkButton->setButtonEnabled(on);
    itemEnabled = on;
    styleNameLabel();
}

void BackupItemWidget::setHighlightColour(const QColor& colour) {
    QPalette p = hoverFrame->palette();
    p.setColor(QPalette::Window, colour);
    hoverFrame->setPalette(p);
}

void BackupItemWidget::showHighlight() {
    setHighlightColour(QColor(240, 240, 240, 180));
    hoverFrame->show();
}

void BackupItemWidget::setItemGeometry(int x, int y, int width, int height) {
    setGeometry(scaled(x), scaled(y), scaled(width), scaled(height));
    const int w = scaled(width);
    const int h = scaled(height);
    const auto centred = [h](int side) { return (h - scaled(side)) / 2; };
    hoverFrame->setGeometry(0, 0, w, h);
    iconButton->setButtonGeometry(scaled(5), centred(20), scaled(20), scaled(20));
    nameLabel->setGeometry(scaled(35), 0, w - scaled(35), h);
    checkButton->setButtonGeometry(w - scaled(22), centred(15), scaled(15), scaled(15));
    statusLabel->setGeometry(w - scaled(100), 0, scaled(90), h);
    busyLabel->setGeometry(w - scaled(30), centred(20), scaled(20), scaled(20));
    busyMovie->setScaledSize(QSize(scaled(20), scaled(20)));
}

void BackupItemWidget::enterEvent(QEnterEvent*) {
    if (hoverHighlight) hoverFrame->show();
}

void BackupItemWidget::leaveEvent(QEvent*) {
    if (hoverHighlight) hoverFrame->hide();
}

// Taken so that the release, where the click is signalled, comes here.
void BackupItemWidget::mousePressEvent(QMouseEvent* event) { event->accept(); }

void BackupItemWidget::mouseReleaseEvent(QMouseEvent*) { emit clicked(this); }
