// The real main window, offscreen, against the connected phone: the data views'
// fill, a full backup and the restore of it, with the GUI thread's longest stall
// in each; the engine's time against the designed pacing it would have slept,
// and the backup's write throughput against a plain copy on the same disk.
#pragma once

#include "report.h"

namespace bench {

// Needs the QApplication and phonesim's phone, on its own behind adb. False when
// a part could not run (the figures of the parts that ran are in the report).
bool measureWindow(Report& report);

}  // namespace bench
