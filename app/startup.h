#pragma once

namespace weighlet {

// Everything from the program's start to the first pass of the event loop: the frame
// buffer, the embedded bitmaps and LCD font, the fonts, the main window, the status bar,
// and the menu bar with the ports COM1 to COM9 that opened when probed.
void startUp();

// startUp, then the event loop; returns the exit status.
int runProgram();

inline constexpr const wchar_t* kLcdFontFamily = L"a_LCDNova";

} // namespace weighlet
