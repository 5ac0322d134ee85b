// The worker that writes data back to the phone: the chosen categories of a
// run folder, record by record, or a list of local media files added to one
// media category ("Add Data"). The restore screen fills the fields below
// before start(), polls the progress fields while it runs and reads outcome
// after finished().
#pragma once

#include <QString>
#include <QStringList>
#include <QThread>

#include <array>
#include <atomic>

class RestoreDataThread : public QThread {
public:
    static constexpr int kCategoryCount = 6;  // indexed by itemType, 0 contacts ... 5 music

    // Category states.
    static constexpr quint8 kNotChosen = 0;
    static constexpr quint8 kChosen = 1;
    static constexpr quint8 kRestoring = 2;
    static constexpr quint8 kRestored = 3;

    // The pace of a run: after every element of a data file; between two
    // questions whether the user accepted the messaging-app switch; after an
    // "Add Data" list, so that the phone's media scanner sees the new files
    // before the view fetches the category again.
    static constexpr unsigned long kRecordPauseMs = 100;
    static constexpr unsigned long kSmsAppPollMs = 1000;
    static constexpr unsigned long kImportSettleMs = 2000;

    // What became of one category, valid after the run. attempted counts the
    // records and files handed to the phone, failed those it did not take
    // (refused, or a push that did not arrive) plus media entries whose name
    // would have left the run's category folder; unreadable is set when the
    // data file was there but could not be read or parsed.
    struct Outcome {
        std::atomic<quint32> attempted{0};
        std::atomic<quint32> failed{0};
        std::atomic<bool> unreadable{false};
    };

    explicit RestoreDataThread(QObject* parent = nullptr);

    // true: restore from runFolder; false: add importFiles.
    bool sourceIsBackup = true;
    std::array<std::atomic<quint8>, kCategoryCount> categoryState;
    // Progress: elements visited, never above totalCount.
    std::array<std::atomic<quint32>, kCategoryCount> doneCount;
    std::array<quint32, kCategoryCount> totalCount{};
    QString runFolder;
    // Set while the messages wait for the user to make the companion app the
    // phone's default messaging app.
    std::atomic<bool> waitingForSmsApp{false};
    // Set by the screen: give up the messages while waiting for that switch.
    std::atomic<bool> skipRequested{false};
    QStringList importFiles;
    int importCategory = 3;
    std::array<Outcome, kCategoryCount> outcome;
    // Set only when the program closes: the run ends after the current record.
    std::atomic<bool> stopRequested{false};

    // Shortens the pauses; for tests only.
    void setPacing(unsigned long recordPauseMs, unsigned long smsAppPollMs, unsigned long importSettleMs);

    // Whether any category of the last run left something out.
    bool anythingFailed() const;

protected:
    void run() override;

private:
    void restoreContactsJs();
    void restoreSmsJs();
    void restoreCallHistoryJs();
    void restoreMediaJs(int itemType);
    void importMediaFiles(int itemType);
    // One element visited: progress plus one, capped at the total, then the pause.
    void progressStep(int itemType);
    // The result of one add call, counted as taken or not.
    void countAdd(int itemType, bool accepted);

    unsigned long recordPauseMs = kRecordPauseMs;
    unsigned long smsAppPollMs = kSmsAppPollMs;
    unsigned long importSettleMs = kImportSettleMs;
};
