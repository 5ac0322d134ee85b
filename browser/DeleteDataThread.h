// Deletes the ticked records of one category from the phone: the records of
// the list the views fetched (the process-wide list heads) or of the library's
// media catalogue. The browser sets the job before each start and may ask the
// run to stop; the run checks that request before every record.
#pragma once

#include <QThread>

#include <atomic>

class DeleteDataThread : public QThread {
    Q_OBJECT

public:
    explicit DeleteDataThread(QObject* parent = nullptr) : QThread(parent) {}

    // The job, set only while the thread is not running. A media job looks at
    // the first mediaLimit catalogue items only: the ones the view holds. The
    // library marks every item it fetches, so one the view has not shown yet
    // would otherwise count as ticked.
    void setJob(int type, int mediaLimit) {
        m_itemType = type;
        m_mediaLimit = mediaLimit;
        m_stopRequested = 0;
    }
    int itemType() const { return m_itemType; }

    // Written by the GUI thread at any time; the run ends before its next record.
    void requestStop() { m_stopRequested = 1; }
    bool stopRequested() const { return m_stopRequested != 0; }

protected:
    void run() override;

private:
    void deleteContacts();
    void deleteMessages();
    void deleteCalls();
    void deleteMediaItems();
    // Waits until the companion app is the phone's default messaging app; false on a stop request.
    bool waitForMessagingRole();

    int m_itemType = -1;
    int m_mediaLimit = 0;
    std::atomic<int> m_stopRequested{0};
};
