#pragma once

#include "common/local_date_time.h"

#include <string>

namespace weighlet {

// The folder the screenshots go to, under the current working directory.
inline constexpr wchar_t kScreenshotFolder[] = L"Screenshots";

// Where a screenshot is written before it takes its name: it begins with "~", which no
// screenshot name does, and its base is no device name.
inline constexpr wchar_t kScreenshotTemporaryName[] = L"Screenshots/~screenshot.tmp";

// Command 18 "Снимок экрана", on the UI thread: captures the foreground window as the held
// picture (with no foreground window the held picture stays as it is; a failed capture
// leaves none), creates the folder "Screenshots" when nothing of that name exists, and
// writes the held picture to "Screenshots/DDMMYY-hh_ii_ss.png" for the local date-time.
// The file is written under a temporary name and takes its real name only once complete,
// replacing a file of that name; a failed save leaves no file behind and an earlier file of
// the name as it was. The operator is told nothing either way. Never throws.
void takeScreenshot();

// "Screenshots/" + the date-time as DDMMYY-hh_ii_ss + ".png".
std::wstring screenshotFileName(const LocalDateTime& dt);

// Forgets the held picture, as at program start (for tests).
void forgetHeldPicture();

} // namespace weighlet
