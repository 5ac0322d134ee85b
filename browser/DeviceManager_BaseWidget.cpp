#include "DeviceManager_BaseWidget.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QWriteLocker>

#include <utility>

#include "DeviceManagerWidget.h"
#include "MyPushButton.h"
#include "ViewToolStrip.h"
#include "base/uiscale.h"
#include "mobrelclient.h"

DeviceManager_BaseWidget::DeviceManager_BaseWidget(int itemType, DeviceManagerWidget* frame, QWidget* parent)
    : DeviceManager_PanelWidget(itemType, frame, parent),
      listTreeWidget(new QTreeWidget(this)),
      loadTimer(new QTimer(this)),
      toolBar(new ViewToolStrip({"deleteButton", "exportButton", "printButton"}, this)),
      selectAllCheckBox(toolBar->selectAll),
      flushButton(toolBar->refresh),
      deleteButton(toolBar->buttons[0]),
      exportButton(toolBar->buttons[1]),
      printButton(toolBar->buttons[2]),
      searchLineEdit(new QLineEdit(toolBar)) {
    listTreeWidget->setObjectName("listTreeWidget");
    loadTimer->setObjectName("loadTimer");
    searchLineEdit->setObjectName("searchLineEdit");

    listTreeWidget->setColumnCount(columnCount);
    listTreeWidget->setRootIsDecorated(false);
    listTreeWidget->setUniformRowHeights(true);  // thousands of rows stay cheap to lay out
    listTreeWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    listTreeWidget->header()->setStretchLastSection(false);
    for (int column = idColumn; column < columnCount; ++column) {
        listTreeWidget->setColumnHidden(column, true);
        listTreeWidget->setColumnWidth(column, 0);
    }
    listTreeWidget->installEventFilter(this);
    selectAllCheckBox->setCheckState(Qt::Checked);
    searchLineEdit->setFrame(false);

    loadTimer->setInterval(kFillIntervalMs);
    connect(listTreeWidget, &QTreeWidget::itemClicked, this, &DeviceManager_BaseWidget::sd_listTreeWidgetClicked_slots);
    connect(searchLineEdit, &QLineEdit::textEdited, this, &DeviceManager_BaseWidget::searchLinedit_slots);
    connect(exportButton, &MyPushButton::clicked, this, &DeviceManager_BaseWidget::exportMarked);
    connect(printButton, &MyPushButton::clicked, this, &DeviceManager_BaseWidget::printButton_slots);
    connect(flushButton, &MyPushButton::clicked, this, &DeviceManager_BaseWidget::flushButton_slots);
    connect(deleteButton, &MyPushButton::clicked, this, &DeviceManager_BaseWidget::deleteMarked);
    connect(selectAllCheckBox, &QCheckBox::clicked, this, &DeviceManager_BaseWidget::selectallCheckBox_slots);
    connect(loadTimer, &QTimer::timeout, this, &DeviceManager_BaseWidget::m_tTimer1_slots);
    discardTimer = new QTimer(this);
    connect(discardTimer, &QTimer::timeout, this, &DeviceManager_BaseWidget::deleteDiscardedRows);
}

void DeviceManager_BaseWidget::layoutChildren() {
    const int strip = scaled(ViewToolStrip::kHeight);
    const int h = scaled(ViewToolStrip::kButtonHeight);
    const int y = (strip - h) / 2;
    toolBar->layoutChildren(width());
    searchLineEdit->setGeometry(width() - scaled(212), y, scaled(200), h);
    listTreeWidget->setGeometry(0, strip, width(), qMax(0, height() - strip));
}

void DeviceManager_BaseWidget::setFillInterval(int ms) { loadTimer->setInterval(ms); }

int DeviceManager_BaseWidget::columnSpace() const {
    return qMax(0, listTreeWidget->width() - listTreeWidget->style()->pixelMetric(QStyle::PM_ScrollBarExtent) -
                       2 * listTreeWidget->frameWidth());
}

void DeviceManager_BaseWidget::loadImages() { toolBar->loadImages(); }

void DeviceManager_BaseWidget::setLanguageTexts() {
    toolBar->setTexts({tr("Delete"), tr("Export"), tr("Print")});
    selectAllCheckBox->setText(tr("Select All"));
    searchLineEdit->setStyleSheet(QString("QLineEdit { border-image: url(:/images/searchbg.png); padding-left: %1px; "
                                          "padding-right: %2px; color: #333333; font: %3px; font-family:\"Lato\";}")
                                      .arg(scaled(8))
                                      .arg(scaled(30))
                                      .arg(scaled(13)));
    listTreeWidget->setStyleSheet(
        QString("QTreeWidget { border: none; color: #333333; font: %1px; font-family:\"Lato\";}").arg(scaled(13)));
}

void DeviceManager_BaseWidget::setToolBarEnabled(bool on) {
    selectAllCheckBox->setEnabled(on);
    searchLineEdit->setEnabled(on);
    for (MyPushButton* button : {flushButton, deleteButton, exportButton, printButton}) button->setButtonEnabled(on);
}

void DeviceManager_BaseWidget::checkDataEmpty() {
    if (MobrelApi_getItemTotalLoadedCount(itemType()) >= 1) return;
    setToolBarEnabled(false);
    flushButton->setButtonEnabled(true);
}

void DeviceManager_BaseWidget::loadData() {
    if (loadStarted) return;
    loadStarted = true;
    checkedCount = shownCount = 0;
    if (fetchList()) loadTimer->start();
}

void DeviceManager_BaseWidget::clearData() {
    // The next flush frees the list: no fill step may walk it any more.
    loadTimer->stop();
    forgetList();
    loadStarted = false;
    checkedCount = shownCount = 0;
    discardedRows += listTreeWidget->invisibleRootItem()->takeChildren();
    if (!discardedRows.isEmpty()) discardTimer->start();
}

void DeviceManager_BaseWidget::deleteDiscardedRows() {
    constexpr int kRowsPerTurn = 500;
    for (int i = 0; i < kRowsPerTurn && !discardedRows.isEmpty(); ++i) delete discardedRows.takeLast();
    if (discardedRows.isEmpty()) discardTimer->stop();
}

DeviceManager_BaseWidget::~DeviceManager_BaseWidget() { qDeleteAll(discardedRows); }

QTreeWidgetItem* DeviceManager_BaseWidget::addRow(const QStringList& texts, int32_t* mark, void* record, bool striped,
                                                  int stripeColumns) {
    auto* row = new QTreeWidgetItem;
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    for (int column = 0; column < texts.size() && column < checkStateColumn; ++column)
        row->setText(column, texts[column]);
    row->setText(recordColumn, QString::number(reinterpret_cast<quintptr>(record)));
    row->setData(recordColumn, Qt::UserRole, QVariant::fromValue(record));
    row->setData(checkStateColumn, Qt::UserRole, QVariant::fromValue(static_cast<void*>(mark)));
    const bool checked = selectAllCheckBox->checkState() == Qt::Checked;
    row->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    row->setText(checkStateColumn, checked ? "2" : "0");
    *mark = checked ? 1 : 0;
    if (checked) ++checkedCount;
    ++shownCount;
    if (striped) {
        for (int column = 0; column < stripeColumns; ++column) row->setBackground(column, QColor(245, 246, 247));
    }
    listTreeWidget->addTopLevelItem(row);
    return row;
}

void* DeviceManager_BaseWidget::recordPointer(const QTreeWidgetItem* row) {
    return row ? row->data(recordColumn, Qt::UserRole).value<void*>() : nullptr;
}

void DeviceManager_BaseWidget::showFirstRow() {
    QTreeWidgetItem* first = listTreeWidget->topLevelItem(0);
    if (!first) return;
    listTreeWidget->setCurrentItem(first);
    sd_listTreeWidgetClicked_slots(first, 0);
}

void DeviceManager_BaseWidget::sd_listTreeWidgetClicked_slots(QTreeWidgetItem* item, int column) {
    sd_listTreeWidgetChangeState_slots(item, column);
}

int DeviceManager_BaseWidget::sd_listTreeWidgetChangeState_slots(QTreeWidgetItem* item, int) {
    if (!item) return 0;
    const int state = item->checkState(0);
    if (item->text(checkStateColumn).toInt() == state) return 0;
    auto* mark = static_cast<int32_t*>(item->data(checkStateColumn, Qt::UserRole).value<void*>());
    const bool checked = state == Qt::Checked;
    if (mark) *mark = checked ? 1 : 0;
    checkedCount += checked ? 1 : -1;
    item->setText(checkStateColumn, checked ? "2" : "0");
    checkedCount = qMin(checkedCount, shownCount);
    if (checkedCount < 1) checkedCount = 0;
    // Checked as long as one row is.
    selectAllCheckBox->setCheckState(checkedCount > 0 ? Qt::Checked : Qt::Unchecked);
    return 1;
}

bool DeviceManager_BaseWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listTreeWidget && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Select)
            sd_listTreeWidgetChangeState_slots(listTreeWidget->currentItem(), 0);
    }
    return DeviceManager_PanelWidget::eventFilter(watched, event);
}

void DeviceManager_BaseWidget::searchLinedit_slots() {
    QWriteLocker lock(&dataLock);
    loadTimer->stop();
    searchKey = searchLineEdit->text().trimmed();
    listTreeWidget->clear();
    loadStarted = false;
    loadData();
}

void DeviceManager_BaseWidget::selectallCheckBox_slots() {
    // The rows come again, all taking the box's new state.
    searchLinedit_slots();
}

void DeviceManager_BaseWidget::flushButton_slots() {
    clearData();
    frame->startFlushData(itemType());
}

void DeviceManager_BaseWidget::printButton_slots() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    preview.resize(1024, 640);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &DeviceManager_BaseWidget::PrintCurrentData_slots);
    preview.exec();
}

void DeviceManager_BaseWidget::PrintCurrentData_slots(QPrinter* printer) {
    QTextDocument document;
    document.setHtml(getPrintHtml());
    printer->setPageSize(QPageSize(QPageSize::A4));
    document.print(printer);
}

void DeviceManager_BaseWidget::setMarkEditing(bool on) {
    // A job reads the marks until it has ended, also after "Stop".
    for (MyPushButton* button : {flushButton, exportButton, printButton}) button->setButtonEnabled(on);
    searchLineEdit->setEnabled(on);
    selectAllCheckBox->setEnabled(on);
    listTreeWidget->setEnabled(on);
    if (!on)
        loadTimer->stop();
    else if (loadStarted)
        loadTimer->start();  // a complete fill stops at its next tick
}
