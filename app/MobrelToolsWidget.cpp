#include "MobrelToolsWidget.h"

#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "adbtool.h"
#include "appglobals.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/uiscale.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QUrl>

namespace {

// adb answers "version" at once; one that does not is stuck.
constexpr int kAdbTimeoutMs = 10000;
// Far more than any version answer.
constexpr qint64 kMaxAdbOutput = 4096;

constexpr int kRowTop = 96;
constexpr int kRowStep = 100;
constexpr int kRowHeight = 86;
constexpr int kButtonWidth = 100;

QString textStyle(const char* colour, int size, bool bold = false) {
    return QStringLiteral("QLabel { color: %1;font:%2 %3px;font-family:\"Lato\";}")
        .arg(QLatin1String(colour), bold ? QStringLiteral("bold") : QString())
        .arg(size);
}

// The full text stays in the tool tip; the label shows what fits.
void showElided(QLabel* label, const QString& text) {
    label->setToolTip(text);
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
}

}  // namespace

MobrelToolsWidget::MobrelToolsWidget(QWidget* parent)
    : QWidget(parent),
      headingLabel(new QLabel(this)),
      introLabel(new QLabel(this)),
      adbProcess(new QProcess(this)) {
    for (const char* name : {"adb", "output", "log", "work"}) rows << makeRow(name);
    for (int i = 0; i < RowCount; ++i) folders << QString();

    adbProcess->setProcessChannelMode(QProcess::SeparateChannels);
    adbProcess->setStandardInputFile(QProcess::nullDevice());
    adbProcess->setStandardErrorFile(QProcess::nullDevice());
    connect(adbProcess, &QProcess::finished, this, &MobrelToolsWidget::adbFinished);
    // An answer far longer than any version is not adb's: it is not kept.
    connect(adbProcess, &QProcess::readyReadStandardOutput, this, [this] {
        if (adbProcess->bytesAvailable() > kMaxAdbOutput) adbProcess->kill();
    });
    connect(adbProcess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) adbFailedToStart();
    });
    adbTimer.setSingleShot(true);
    connect(&adbTimer, &QTimer::timeout, this, [this] {
        adbTimedOut = true;
        adbProcess->kill();
    });

    connect(rows[AdbRow].button, &MyPushButton::clicked, this,
            &MobrelToolsWidget::checkAdbButton_slots);
    for (int i = OutputRow; i < RowCount; ++i) {
        connect(rows[i].button, &MyPushButton::clickedSelf, this,
                &MobrelToolsWidget::openButton_slots);
    }
}

MobrelToolsWidget::~MobrelToolsWidget() {
    // No adb is left behind when the program ends during a check.
    adbProcess->disconnect(this);
    if (adbProcess->state() != QProcess::NotRunning) {
        adbProcess->kill();
        adbProcess->waitForFinished(1000);
    }
}

MobrelToolsWidget::Row MobrelToolsWidget::makeRow(const char* name) {
    Row row;
    row.plate = new QLabel(this);
    row.plate->setObjectName(QLatin1String(name) + QStringLiteral("Row"));
    row.plate->setStyleSheet(QStringLiteral(
        "QLabel#%1 { background-color: #f7fafc; border: 1px solid #d5dee6; border-radius: 6px; }")
                                 .arg(row.plate->objectName()));
    row.title = new QLabel(row.plate);
    row.value = new QLabel(row.plate);
    row.value->setObjectName(QLatin1String(name) + QStringLiteral("Value"));
    row.note = new QLabel(row.plate);
    row.note->setObjectName(QLatin1String(name) + QStringLiteral("Note"));
    // Paths and adb's answer are shown as text, never as markup.
    for (QLabel* label : {row.title, row.value, row.note}) label->setTextFormat(Qt::PlainText);
    row.button = new MyPushButton(row.plate);
    row.button->setObjectName(QLatin1String(name) + QStringLiteral("Button"));
    row.button->setLayoutMode(6);
    return row;
}

void MobrelToolsWidget::layoutChildren() {
    headingLabel->setGeometry(scaled(40), scaled(22), width() - scaled(80), scaled(32));
    introLabel->setGeometry(scaled(40), scaled(56), width() - scaled(80), scaled(22));
    const int plateWidth = width() - scaled(80);
    const int textWidth = plateWidth - scaled(kButtonWidth + 60);
    for (int i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        row.plate->setGeometry(scaled(40), scaled(kRowTop + i * kRowStep), plateWidth,
                               scaled(kRowHeight));
        row.title->setGeometry(scaled(24), scaled(10), textWidth, scaled(24));
        row.value->setGeometry(scaled(24), scaled(36), textWidth, scaled(20));
        row.note->setGeometry(scaled(24), scaled(58), textWidth, scaled(18));
        row.button->setButtonGeometry(plateWidth - scaled(kButtonWidth + 24), scaled(29),
                                      scaled(kButtonWidth), scaled(28));
    }
}

void MobrelToolsWidget::loadImages() {
    const QPixmap plate(QStringLiteral(":/images/userdo.png"));
    for (const Row& row : rows) {
        row.button->setSpriteCells(plate, 0, 90, 28, 0, 30, 60, 90);
        row.button->setLayoutMode(6);
    }
}

void MobrelToolsWidget::setLanguageTexts() {
    headingLabel->setText(tr("Tools"));
    headingLabel->setStyleSheet(textStyle("#333333", scaled(20), true));
    introLabel->setText(tr("The Android Debug Bridge and the folders Mobrel works with."));
    introLabel->setStyleSheet(textStyle("#999999", scaled(13)));

    const QString titles[RowCount] = {tr("Android Debug Bridge (adb)"), tr("Output folder"),
                                      tr("Log folder"), tr("Work folder")};
    const QString notes[RowCount] = {
        QString(), tr("Backups and exports are saved here. Change it on the Backup page."),
        tr("The device-link log mobrelcore.log, written anew at every start."),
        tr("Temporary files and picture thumbnails of the connected phone.")};
    for (int i = 0; i < RowCount; ++i) {
        const Row& row = rows[i];
        row.title->setText(titles[i]);
        row.title->setStyleSheet(textStyle("#333333", scaled(15), true));
        row.value->setStyleSheet(textStyle("#42586a", scaled(13)));
        row.note->setStyleSheet(textStyle("#999999", scaled(12)));
        if (i != AdbRow) row.note->setText(notes[i]);
        row.button->setButtonText(i == AdbRow ? tr("Check again") : tr("Open"));
        row.button->setButtonAlignment(Qt::AlignCenter);
        row.button->setButtonStyles(textStyle("#333333", scaled(13)),
                                    textStyle("#b9b8b8", scaled(13)));
        row.button->setButtonEnabled(row.button->isButtonEnabled());
    }
}

void MobrelToolsWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshFolders();
    if (!adbChecked) checkAdb();
}

void MobrelToolsWidget::setValue(RowIndex row, const QString& text) {
    showElided(rows[row].value, text);
}

void MobrelToolsWidget::refreshFolders() {
    folders[OutputRow] = folderSetting(QLatin1String(kSavePathKey));
    folders[LogRow] = documentsFolder() + QStringLiteral("/LogFiles");
    folders[WorkRow] = QDir::cleanPath(mobrelTempFolder());
    for (int i = OutputRow; i < RowCount; ++i) {
        const bool known = !folders[i].isEmpty() && folders[i] != QLatin1String(".");
        setValue(RowIndex(i), known ? folders[i] : tr("Not available"));
    }
}

void MobrelToolsWidget::checkAdb() {
    if (adbProcess->state() != QProcess::NotRunning) return;
    adbChecked = true;
    const QString program = adbProgramPath(applicationFolder());
    if (program.isEmpty()) {
        setValue(AdbRow, tr("Not found"));
        rows[AdbRow].note->setText(
            tr("No adb beside Mobrel or on the PATH: phones cannot be reached."));
        return;
    }
    setValue(AdbRow, program);
    rows[AdbRow].note->setText(tr("Checking the version..."));
    rows[AdbRow].button->setButtonEnabled(false);
    adbTimedOut = false;
    // adb always runs from the program's folder, as the device-link library runs it.
    adbProcess->setWorkingDirectory(applicationFolder());
    adbProcess->start(program, {QStringLiteral("version")});
    adbTimer.start(kAdbTimeoutMs);
}

void MobrelToolsWidget::adbFinished(int exitCode, QProcess::ExitStatus status) {
    const QString version = adbVersionFromOutput(adbProcess->read(kMaxAdbOutput));
    if (adbTimedOut) {
        endAdbCheck(tr("adb did not answer within %1 seconds.").arg(kAdbTimeoutMs / 1000));
    } else if (status != QProcess::NormalExit || exitCode != 0) {
        endAdbCheck(tr("adb failed when asked for its version."));
    } else if (version.isEmpty()) {
        endAdbCheck(tr("adb did not name its version."));
    } else {
        endAdbCheck(tr("Version %1").arg(version));
    }
}

void MobrelToolsWidget::adbFailedToStart() {
    endAdbCheck(tr("adb could not be started: %1").arg(adbProcess->errorString()));
}

void MobrelToolsWidget::endAdbCheck(const QString& note) {
    adbTimer.stop();
    rows[AdbRow].note->setText(note);
    rows[AdbRow].button->setButtonEnabled(true);
}

void MobrelToolsWidget::checkAdbButton_slots() { checkAdb(); }

void MobrelToolsWidget::openButton_slots(void* button) {
    for (int i = OutputRow; i < RowCount; ++i) {
        if (rows[i].button == button) openFolder(folders[i]);
    }
}

void MobrelToolsWidget::openFolder(const QString& path) {
    QString problem;
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        problem = tr("The folder does not exist yet:\n%1").arg(path);
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        problem = tr("The folder could not be opened:\n%1").arg(path);
    }
    if (problem.isEmpty()) return;
    MyMessageBoxWidget::ask(window(), tr("Tolvane") + QLatin1Char(' ') + tr("Mobrel"), problem, 2, 2, 0);
}
