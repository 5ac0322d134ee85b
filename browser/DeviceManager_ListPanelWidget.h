// The part the contacts, messages and call history views share: the list the
// view fetched from the library after its category was loaded.
#pragma once

#include "DeviceManager_PanelWidget.h"

class DeviceManager_ListPanelWidget : public DeviceManager_PanelWidget {
    Q_OBJECT

public:
    using DeviceManager_PanelWidget::DeviceManager_PanelWidget;

    // Fetches the category's list from the library once (until clearData).
    void loadData();
    // Forgets the list; the library frees it at the category's next load.
    void clearData();
    // True when the view holds no record; its commands are then disabled.
    bool checkDataEmpty();

protected:
    // Fetch the list into its process-wide head and unmark every record: a
    // record counts as ticked only once the view has shown it ticked, not
    // because the library marks every record it reads. Returns the record count.
    virtual int fetchList() = 0;
    // Set the process-wide head to null.
    virtual void forgetList() = 0;

private:
    bool loadStarted = false;
};
