// The library's flush of every category of the connected phone: its time against
// as many no-op exchanges on the same connection ("the floor"), and the heap it
// keeps per record against the record's structure and text.
#pragma once

#include <sys/types.h>

#include "report.h"

namespace bench {

// The phone must be brought up (MobrelApi_ReadyTodoing) and nothing flushed yet;
// phone is phonesim's process, whose processor time is read beside the library's.
void measureFlushes(Report& report, pid_t phone);

}  // namespace bench
