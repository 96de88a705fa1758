// Where our dialog's extra time goes: each habit of the toolkit that the
// bare dialog does not have, timed alone on scratch windows (median over
// rounds) and scaled to how often one dialog incurs it.
#pragma once

#include <windows.h>

#include <vector>

#include "bench/Report.h"

namespace bench {

// Messages our page windows received in one showing through the Execute
// entry (sent and dispatched), by phase; counted with hooks in a run that
// is not timed.
struct PageMessages {
  long construction = 0;  // until the host is disabled
  long showing = 0;       // until the first complete paint
  long closing = 0;       // OK, close and destruction
};

std::vector<HabitCost> MeasureHabits(HWND host, int rounds, const PageMessages& pageMessages);

}  // namespace bench
