#pragma once

// A recording fake of the window toolkit. Every call is written to the shared call log
// (call_log.h) in a short readable form, and the fake keeps the state a test looks at:
// open windows, label texts and colours, status fields, menu entries and check marks.

#include "ui/toolkit.h"

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace weighlet::fake {

struct Toolkit {
    std::set<int> openWindows;
    std::map<int, std::string> labelTexts;
    std::map<int, Rgb> labelColours;
    std::map<std::pair<int, int>, std::pair<std::string, Align>> statusFields;
    std::vector<std::pair<int, std::string>> menuEntries; // in order; 0 = the drop-down
    std::set<int> checked;
    std::deque<Event> events; // what waitForEvent returns; a main-window close once empty
    std::function<void(const Event&)> onEvent; // called as each event is taken
    bool gdiMissing = false;                   // registerPrivateFont: library missing
    int activations = 0;
};

Toolkit& toolkit();
void resetToolkit();

} // namespace weighlet::fake
