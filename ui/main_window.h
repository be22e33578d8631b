#pragma once

namespace weighlet {

// The main window 10 with the weight display 12, the unit label 13 and the status bar 20,
// as the operator first sees it: "00.000" and "kg" in red, "Порт закрыт", "Весы не
// обнаружены". Fonts 15 and 16 must exist already.
void buildMainWindow();

// Status bar fields.
inline constexpr int kPortField = 0;
inline constexpr int kClockField = 1;
inline constexpr int kScaleField = 2;

} // namespace weighlet
