#include "DeviceManager_PanelWidget.h"

#include "MyMessageBoxWidget.h"

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
