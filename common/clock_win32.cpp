#include "common/local_date_time.h"

#include <windows.h>

namespace weighlet {

LocalDateTime currentLocalDateTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return makeLocalDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

} // namespace weighlet
