// What the frame needs of every category view: the build passes, the tool
// strip switched on and off, and the end of a deletion or export it started.
#pragma once

#include <QWidget>

#include "ExportingView.h"

class MyMessageBoxWidget;

class DeviceManager_PanelWidget : public QWidget, public ExportingView {
    Q_OBJECT

public:
    DeviceManager_PanelWidget(int itemType, QWidget* parent) : QWidget(parent), m_itemType(itemType) {}

    int itemType() const { return m_itemType; }

    // The build passes; layoutChildren again whenever the size changes.
    virtual void layoutChildren() = 0;
    virtual void loadImages() {}
    virtual void setLanguageTexts() = 0;

    // The view's commands are usable (false while its category loads).
    virtual void setToolBarEnabled(bool on) = 0;

protected:
    // Runs the modal busy box ("Please wait... ", "Stop") with slot pointing at
    // it, until the job's end hides it and clears slot (false) or the user
    // stops the job (true). A box closed before the job's end (Escape, the
    // window manager) is a "Stop" too, never a job left unstoppable.
    bool runWaitBox(const QString& title, MyMessageBoxWidget*& slot);

private:
    const int m_itemType;
};
