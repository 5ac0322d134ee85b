// How a writer walks the phone's record lists on behalf of the backup worker.
#pragma once

#include <QString>
#include <functional>

#include "runfiles.h"

struct WalkOptions {
    // An export writes only what the user ticked (checkMark or loaded 1).
    bool tickedOnly = false;
    // The worker's stop flag, polled once per record; empty: never set.
    std::function<bool()> stopRequested;
    // Raises the category's done counter (data-file writers only).
    std::function<void()> countOne;
    // Pauses of a backup after every written record and after the category's
    // page (the worker uses 100 and 200 ms); 0 in tests.
    unsigned long recordPauseMs = 0;
    unsigned long pagePauseMs = 0;
    // Where the viewer's pages are copied from.
    QString templateFolder = defaultTemplateFolder();

    bool stopped() const { return stopRequested && stopRequested(); }
    void count() const {
        if (countOne) countOne();
    }
};
