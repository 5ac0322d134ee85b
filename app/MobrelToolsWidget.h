// The tools page: which adb the program runs and its version, and the folders
// the program writes to (output, log, work), each with a button that opens it.
#pragma once

#include <QList>
#include <QProcess>
#include <QTimer>
#include <QWidget>

class MyPushButton;
class QLabel;

class MobrelToolsWidget : public QWidget {
    Q_OBJECT

public:
    explicit MobrelToolsWidget(QWidget* parent = nullptr);
    ~MobrelToolsWidget() override;

    void layoutChildren();
    void loadImages();
    void setLanguageTexts();

    // Looks adb up again and asks it for its version, without waiting.
    void checkAdb();
    // Opens the folder in the file manager; says so when it cannot.
    void openFolder(const QString& path);

public slots:
    void checkAdbButton_slots();
    void openButton_slots(void* button);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // One plate of the page: a title, a value line, a note line and a button.
    struct Row {
        QLabel* plate;
        QLabel* title;
        QLabel* value;
        QLabel* note;
        MyPushButton* button;
    };
    enum RowIndex { AdbRow, OutputRow, LogRow, WorkRow, RowCount };

    Row makeRow(const char* name);
    void setValue(RowIndex row, const QString& text);
    void refreshFolders();
    void adbFinished(int exitCode, QProcess::ExitStatus status);
    void adbFailedToStart();
    void endAdbCheck(const QString& note);

    QLabel* headingLabel;
    QLabel* introLabel;
    QList<Row> rows;
    QStringList folders;  // the folder of each folder row, by row index
    QProcess* adbProcess;
    QTimer adbTimer;
    bool adbChecked = false;
    bool adbTimedOut = false;
};
