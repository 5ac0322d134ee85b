// The worker that writes one run folder: a backup of every record and item of
// the chosen categories, or an export of what the user ticked in one view.
// The screen fills the fields below before start(), polls categoryState and
// doneCount while it runs and reads categoryComplete after finished().
#pragma once

#include <QString>
#include <QThread>

#include <array>
#include <atomic>
#include <optional>

class BackupDataThread : public QThread {
public:
    static constexpr int kCategoryCount = 6;  // indexed by itemType, 0 contacts ... 5 music

    // Category states.
    static constexpr quint8 kNotChosen = 0;
    static constexpr quint8 kChosen = 1;
    static constexpr quint8 kWriting = 2;
    static constexpr quint8 kWritten = 3;

    // The pace of a run: after every record of a data file, and after a
    // category's page. Keeps the phone link and the disk unhurried.
    static constexpr unsigned long kRecordPauseMs = 100;
    static constexpr unsigned long kPagePauseMs = 200;

    explicit BackupDataThread(QObject* parent = nullptr);

    std::array<std::atomic<quint8>, kCategoryCount> categoryState;
    // Progress: records visited or media indices passed.
    std::array<std::atomic<quint32>, kCategoryCount> doneCount;
    // Totals for the progress display; set by the screen, never read here.
    std::array<quint32, kCategoryCount> totalCount{};
    // Whether the category reached the run folder whole: fetched without a
    // failure, every item copied and every file written. Valid after the run.
    std::array<std::atomic<bool>, kCategoryCount> categoryComplete;
    // Whether the run's own files (device facts, profile, summary) were written:
    // without them nothing of the run can be restored. Valid after the run.
    std::atomic<bool> runFilesWritten{false};
    QString runFolder;
    QString runName;
    std::atomic<bool> stopRequested{false};
    // true: every record (backup); false: only ticked ones (export).
    bool backupMode = false;

    // Shortens the pauses; for tests only.
    void setPacing(unsigned long recordPauseMs, unsigned long pagePauseMs);

protected:
    void run() override;

private:
    // Writes the category and tells whether it reached the run folder whole;
    // the count of what was written, or none when its data file is missing.
    bool backupCategory(int itemType, std::optional<quint32>& written);

    unsigned long recordPauseMs = kRecordPauseMs;
    unsigned long pagePauseMs = kPagePauseMs;
};
