// The walks over the phone's linked record lists shared by the CSV, TXT and
// data-file writers, so that all of them pick the same records.
#pragma once

#include <mobrelclient.h>

#include <QThread>

#include "walkoptions.h"

inline MobrelSms* firstOf(const MobrelSmsThread* thread) { return thread->firstMessage; }
inline MobrelCallLog* firstOf(const MobrelCallGroup* group) { return group->firstEntry; }

// Calls visit(contact, written) for every contact in list order; written is
// false for one an export leaves out. The stop flag is looked at before each
// contact (stopBefore) or after each written one.
template <class Visit>
void walkContacts(const MobrelContact* head, const WalkOptions& options, bool stopBefore,
                  bool pace, Visit visit) {
    for (const MobrelContact* c = head; c; c = c->next) {
        if (stopBefore && options.stopped()) return;
        const bool written = !options.tickedOnly || c->checkMark == 1;
        visit(*c, written);
        if (!written) continue;
        if (!stopBefore && options.stopped()) return;
        if (pace && options.recordPauseMs) QThread::msleep(options.recordPauseMs);
    }
}

// For every written conversation or call group (one with a first element,
// ticked through that element in an export): beginGroup(group), then
// visit(element, position) with positions 1, 2, ... The stop flag is looked
// at after every element and after every group.
template <class Group, class BeginGroup, class Visit>
void walkGroups(const Group* head, const WalkOptions& options, bool pace, BeginGroup beginGroup,
                Visit visit) {
    for (const Group* group = head; group; group = group->next) {
        const auto* first = firstOf(group);
        if (!first || (options.tickedOnly && first->checkMark != 1)) continue;
        beginGroup(*group);
        int position = 1;
        for (const auto* element = first; element; element = element->next) {
            visit(*element, position++);
            if (options.stopped()) return;
            if (pace && options.recordPauseMs) QThread::msleep(options.recordPauseMs);
        }
        if (options.stopped()) return;
    }
}
