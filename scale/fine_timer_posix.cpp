#include "scale/fine_timer.h"

namespace weighlet {

// POSIX timers already have fine resolution.
FineTimer::FineTimer() = default;
FineTimer::~FineTimer() = default;

} // namespace weighlet
