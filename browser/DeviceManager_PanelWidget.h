// What the frame needs of every category view: the build passes, the tool
// strip switched on and off, and the end of a deletion or export it started.
#pragma once

#include <QWidget>

#include "ExportingView.h"

class DeviceManagerWidget;
class MyMessageBoxWidget;

class DeviceManager_PanelWidget : public QWidget, public ExportingView {
    Q_OBJECT

public:
    DeviceManager_PanelWidget(int itemType, DeviceManagerWidget* frame, QWidget* parent)
        : QWidget(parent), frame(frame), m_itemType(itemType) {}

    int itemType() const { return m_itemType; }

    // The build passes; layoutChildren again whenever the size changes.
    virtual void layoutChildren() = 0;
    virtual void loadImages() {}
    virtual void setLanguageTexts() = 0;

    // The view's commands are usable (false while its category loads).
    virtual void setToolBarEnabled(bool on) = 0;

    // A deletion or export has ended: the marks are usable again, the busy box goes.
    void endBusyState() override;

protected:
    // The marked records deleted from the phone, or exported into a new run
    // folder, through the frame; the busy box stays up until the job ends.
    void deleteMarked();
    void exportMarked();
    // Off while a job reads the marks (also after "Stop", until it has ended).
    virtual void setMarkEditing(bool on) = 0;

    // Runs the modal busy box ("Please wait... ", "Stop") with slot pointing at
    // it, until the job's end hides it and clears slot (false) or the user
    // stops the job (true). A box closed before the job's end (Escape, the
    // window manager) is a "Stop" too, never a job left unstoppable.
    bool runWaitBox(const QString& title, MyMessageBoxWidget*& slot);
    // Hides the box slot points at, which ends its modal run.
    static void closeWaitBox(MyMessageBoxWidget*& slot);

    DeviceManagerWidget* const frame;

private:
    void runMarkedJob(const QString& title, bool started, void (DeviceManagerWidget::*stop)());

    const int m_itemType;
    MyMessageBoxWidget* waitBox = nullptr;
};
