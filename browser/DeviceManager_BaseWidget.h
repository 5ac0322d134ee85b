// What the contacts, messages and call history views share: the list with a
// check box per row, "Select All", the search line and the refresh, delete,
// export and print commands. Rows are added a small batch per 100 ms tick, so
// that long lists never hold up the window. Every record the view walks takes
// its row's check state as its selection mark (0 for a record the search
// hides), and delete, export and print act on the records marked 1.
#pragma once

#include <QReadWriteLock>
#include <QString>
#include <QStringList>

#include <cstdint>

#include "DeviceManager_PanelWidget.h"

class DeviceManagerWidget;
class MyPushButton;
class QCheckBox;
class QLineEdit;
class QPrinter;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class ViewToolStrip;

class DeviceManager_BaseWidget : public DeviceManager_PanelWidget {
    Q_OBJECT

public:
    // Columns 0 to 4 hold the view's texts; the last three are always hidden.
    static constexpr int columnCount = 8;
    static constexpr int idColumn = 5;          // a record identifier, in views that show one
    static constexpr int checkStateColumn = 6;  // "2" or "0": the check state the view last saw
    static constexpr int recordColumn = 7;      // the record's address; the pointer as item data

    // The fill's pace: a small batch of rows per tick.
    static constexpr int kFillIntervalMs = 100;

    DeviceManager_BaseWidget(int itemType, DeviceManagerWidget* frame, QWidget* parent);
    ~DeviceManager_BaseWidget() override;
    // For tests only: a shorter pace, so that long lists fill quickly.
    void setFillInterval(int ms);

    // The tool strip on top, the list below it.
    void layoutChildren() override;
    // The tool buttons' pictures.
    void loadImages() override;
    // "Select All", the buttons' captions and the look of the strip and the list.
    void setLanguageTexts() override;
    void setToolBarEnabled(bool on) override;

    // Fetches the category's list from the library and starts adding its rows;
    // nothing more until clearData.
    void loadData();
    // Forgets the list and every row.
    virtual void clearData();
    // With no record in the category only the refresh button stays usable.
    void checkDataEmpty();
    // The selected records as HTML for printing.
    virtual QString getPrintHtml() const { return QString(); }

public slots:
    // A click on a row: toggles the record's selection when the click changed its box.
    virtual void sd_listTreeWidgetClicked_slots(QTreeWidgetItem* item, int column);
    // Takes a changed check box into the record's mark and the counts: 1 when
    // the box had changed since the view last looked, else 0.
    int sd_listTreeWidgetChangeState_slots(QTreeWidgetItem* item, int column);
    void selectallCheckBox_slots();
    // One fill step: the next batch of rows.
    virtual void m_tTimer1_slots() = 0;
    // Starts the fill again from the list's head with the search line's text as key.
    virtual void searchLinedit_slots();
    void printButton_slots();
    void flushButton_slots();
    void PrintCurrentData_slots(QPrinter* printer);

protected:
    // Fetches the list into its process-wide head and the view's walk, and sets
    // every record's mark to 0: a record counts as selected only once the view
    // has shown it checked. False for an empty list.
    virtual bool fetchList() = 0;
    // Sets the process-wide head and the view's walk to null.
    virtual void forgetList() = 0;

    // Appends a row with the texts of columns 0 to 5, checked as "Select All"
    // is and the record's mark set to match. A striped row gets the stripe
    // colour in its first stripeColumns columns.
    QTreeWidgetItem* addRow(const QStringList& texts, int32_t* mark, void* record, bool striped,
                            int stripeColumns);
    template <class Record>
    static Record* recordOf(const QTreeWidgetItem* row) {
        return static_cast<Record*>(recordPointer(row));
    }
    // Makes the first row current and shows its details through the click slot.
    void showFirstRow();
    // The width the visible columns share: the list's, less its vertical scroll bar.
    int columnSpace() const;

    QTreeWidget* listTreeWidget;
    QTimer* loadTimer;
    // The fill step only tries it, the search waits for it.
    QReadWriteLock dataLock;
    bool loadStarted = false;
    QString searchKey;
    int checkedCount = 0;
    int shownCount = 0;
    ViewToolStrip* toolBar;
    QCheckBox* selectAllCheckBox;
    MyPushButton* flushButton;
    MyPushButton* deleteButton;
    MyPushButton* exportButton;
    MyPushButton* printButton;
    QLineEdit* searchLineEdit;

private:
    static void* recordPointer(const QTreeWidgetItem* row);
    void deleteDiscardedRows();
    // A check box toggled with the keyboard reaches the mark like a click.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Export, print, search, refresh, select-all and the rows; the fill waits
    // meanwhile, so that nothing changes the marks under a job.
    void setMarkEditing(bool on) override;

    // The rows clearData took out of the list, deleted a batch per event-loop
    // turn: deleting thousands in one go would hold the window up.
    QList<QTreeWidgetItem*> discardedRows;
    QTimer* discardTimer = nullptr;
};
