// Loads one category from the phone into the library's cache. The browser
// sets the category before each start and reuses the thread for every load.
#pragma once

#include <QThread>

#include <atomic>

class FlushDataThread : public QThread {
    Q_OBJECT

public:
    explicit FlushDataThread(QObject* parent = nullptr) : QThread(parent) {}

    // Set only while the thread is not running.
    void setItemType(int type) { m_itemType = type; }
    int itemType() const { return m_itemType; }
    // -1 while a run is in progress, then the flush call's result.
    int result() const { return m_result; }

protected:
    void run() override;

private:
    int m_itemType = -1;
    std::atomic<int> m_result{-1};
};
