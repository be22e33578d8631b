#pragma once

// A settable local clock for native tests, linked in place of the platform's clock.

#include "common/local_date_time.h"

namespace weighlet::fake {

void setLocalDateTime(const LocalDateTime& now);
// How often the program has read the clock.
int clockReads();
void resetClock();

} // namespace weighlet::fake
