#include "tests/fakes/fake_clock.h"

namespace weighlet::fake {

namespace {
LocalDateTime g_now = makeLocalDateTime(2026, 12, 11, 14, 30, 15);
int g_reads = 0;
} // namespace

void setLocalDateTime(const LocalDateTime& now) {
    g_now = now;
}
int clockReads() {
    return g_reads;
}
void resetClock() {
    g_now = makeLocalDateTime(2026, 12, 11, 14, 30, 15);
    g_reads = 0;
}

} // namespace weighlet::fake

namespace weighlet {

LocalDateTime currentLocalDateTime() {
    ++fake::g_reads;
    return fake::g_now;
}

} // namespace weighlet
