#include "base/listheads.h"

MobrelContact* contactListHead = nullptr;
MobrelSmsThread* smsThreadListHead = nullptr;
MobrelCallGroup* callGroupListHead = nullptr;
