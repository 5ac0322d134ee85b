// The first record of each list category as the views last fetched it from the
// library, or null. Set by the views on the GUI thread; read by the delete and
// backup workers, which are started after the views filled them. The lists
// belong to the library and stay valid until that category's next flush.
#pragma once

struct MobrelContact;
struct MobrelSmsThread;
struct MobrelCallGroup;

extern MobrelContact* contactListHead;
extern MobrelSmsThread* smsThreadListHead;
extern MobrelCallGroup* callGroupListHead;
