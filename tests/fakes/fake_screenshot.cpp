#include "screenshot/screenshot.h"

#include "tests/fakes/call_log.h"

namespace weighlet {

// The event loop's tests only see that a screenshot was asked for.
void takeScreenshot() {
    fake::logCall("screenshot");
}

} // namespace weighlet
