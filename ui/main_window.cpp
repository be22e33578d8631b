#include "ui/main_window.h"

#include "common/scale_state.h"
#include "ui/toolkit.h"

#include <array>

namespace weighlet {

void buildMainWindow() {
    openWindow(ObjectId::MainWindow, L"Weighlet", 620, 290, WindowStyle::Main);

    createTextLabel(ObjectId::WeightDisplay, ObjectId::MainWindow, 8, 40, 500, 170, L"00.000");
    createTextLabel(ObjectId::UnitLabel, ObjectId::MainWindow, 512, 125, 80, 80, L"kg");
    setLabelFont(ObjectId::WeightDisplay, ObjectId::LargeFont);
    setLabelFont(ObjectId::UnitLabel, ObjectId::SmallFont);
    setLabelColour(ObjectId::WeightDisplay, kNotFoundColour);
    setLabelColour(ObjectId::UnitLabel, kNotFoundColour);

    constexpr std::array<int, 3> kFieldWidths{200, 220, 200};
    createStatusBar(ObjectId::StatusBar, ObjectId::MainWindow, kFieldWidths);
    setStatusText(ObjectId::StatusBar, kPortField, L"Порт закрыт", Align::Left);
    setStatusText(ObjectId::StatusBar, kScaleField, L"Весы не обнаружены", Align::Right);
}

} // namespace weighlet
