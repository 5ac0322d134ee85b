// What every category view of the browser shows for now: the category's name
// and how many of its records the view holds.
#pragma once

#include <QWidget>

class QLabel;

class DeviceManager_PanelWidget : public QWidget {
    Q_OBJECT

public:
    DeviceManager_PanelWidget(int itemType, QWidget* parent);

    int itemType() const { return m_itemType; }
    // Records (list views) or catalogue items (media views) the view holds.
    int loadedCount() const { return m_loadedCount; }

    void layoutChildren();
    // Each view names its category and passes the name to setCategoryName.
    virtual void setLanguageTexts() = 0;

    // The view's commands are usable (false while its category loads).
    void setToolBarEnabled(bool on) { setEnabled(on); }
    // A deletion started from this view has ended.
    void endBusyState() { setToolBarEnabled(true); }

protected:
    void setCategoryName(const QString& name);
    void setLoadedCount(int count);

private:
    const int m_itemType;
    int m_loadedCount = 0;
    QLabel* nameLabel;
    QLabel* countLabel;
};
