#pragma once

namespace weighlet {

// The polling worker: repeats the exchange with the scale without pause on the current
// port, and shows each result: status field 2, the colour of the weight display and the
// unit label, and the weight text. It runs until the UI thread stops it.
void pollingWorker();

inline constexpr const wchar_t* kScaleFoundText = L"Весы подключены";
inline constexpr const wchar_t* kScaleNotFoundText = L"Весы не обнаружены";

} // namespace weighlet
