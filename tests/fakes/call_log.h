#pragma once

// One log of the calls the fakes receive, in order, so that tests can check the order of
// calls across facilities ("stop worker" before "close COM1" before "open COM3").

#include <string>
#include <string_view>
#include <vector>

namespace weighlet::fake {

std::vector<std::string>& callLog();
void logCall(std::string entry);
std::string utf8(std::wstring_view text);
// Index of the first entry equal to `entry` at or after `from`, or -1.
long findCall(std::string_view entry, long from = 0);

} // namespace weighlet::fake
