#pragma once

namespace weighlet {

// The About window 11: two pictures, the text between them and a Close button. Not
// modal; the main window and the polling worker carry on while it is open.

// Opens it, or only brings it to the front when it is open.
void showAboutWindow();
// Closes it with its elements; the bitmaps stay decoded for the next opening.
void closeAboutWindow();

// The maker's name matches the version record's company entry.
inline constexpr const wchar_t* kAboutText =
    L"Программа предназначена для проверки связи с весами CAS.\r\n"
    L"\r\n"
    L"© Lotok Software\r\n"
    L"support@lotok.example";

} // namespace weighlet
