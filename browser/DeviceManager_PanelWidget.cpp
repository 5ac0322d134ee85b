#include "DeviceManager_PanelWidget.h"

#include "DeviceManagerWidget.h"
#include "MyMessageBoxWidget.h"

void DeviceManager_PanelWidget::endBusyState() {
    setMarkEditing(true);
    closeWaitBox(waitBox);
}

void DeviceManager_PanelWidget::deleteMarked() {
    setMarkEditing(false);
    // Whatever is marked goes, without a question.
    runMarkedJob(tr("Delete Data"), frame->startDeleteData(itemType(), this), &DeviceManagerWidget::stopDeleteData);
}

void DeviceManager_PanelWidget::exportMarked() {
    setMarkEditing(false);
    runMarkedJob(tr("Backup Data"), frame->startExport(itemType(), this), &DeviceManagerWidget::stopExport);
}

void DeviceManager_PanelWidget::runMarkedJob(const QString& title, bool started,
                                             void (DeviceManagerWidget::*stop)()) {
    if (!started) {
        endBusyState();
        return;
    }
    if (runWaitBox(title, waitBox)) (frame->*stop)();
}

bool DeviceManager_PanelWidget::runWaitBox(const QString& title, MyMessageBoxWidget*& slot) {
    MyMessageBoxWidget box;
    box.setButtonTexts(tr("Stop"), tr("Stop"), tr("Stop"), tr("Stop"));
    box.setContent(title, tr("Please wait... "), 3, 1, 0);
    box.centerOver(window());
    slot = &box;
    box.exec();
    const bool closedEarly = slot != nullptr;
    slot = nullptr;
    return box.isAccepted() || closedEarly;
}

void DeviceManager_PanelWidget::closeWaitBox(MyMessageBoxWidget*& slot) {
    if (!slot) return;
    slot->hide();
    slot = nullptr;
}
