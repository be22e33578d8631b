#include "scale/fine_timer.h"

#include <windows.h>
#include <timeapi.h>

namespace weighlet {

FineTimer::FineTimer() : raised_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineTimer::~FineTimer() {
    if (raised_) {
        timeEndPeriod(1);
    }
}

} // namespace weighlet
