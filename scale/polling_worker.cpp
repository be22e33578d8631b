#include "scale/polling_worker.h"

#include "scale/scale_link.h"
#include "ui/toolkit.h"

namespace weighlet {

namespace {

constexpr int kScaleField = 2;

// Status field 2, then the weight display and the unit label in the state's colour.
// False once the worker has been stopped.
bool showState(ScaleState state) {
    const wchar_t* text = state == ScaleState::Found ? kScaleFoundText : kScaleNotFoundText;
    if (!setStatusText(ObjectId::StatusBar, kScaleField, text, Align::Right)) {
        return false;
    }
    for (ObjectId label : {ObjectId::WeightDisplay, ObjectId::UnitLabel}) {
        if (stopRequested()) {
            return false;
        }
        setLabelColour(label, stateColour(state));
    }
    return !stopRequested();
}

} // namespace

void pollingWorker() {
    while (!stopRequested()) {
        const std::optional<ScaleState> state = askForScale();
        if (!state || !showState(*state)) {
            return;
        }
        if (*state == ScaleState::Found) {
            const std::optional<std::wstring> weight = askForWeight();
            if (!weight || !setLabelText(ObjectId::WeightDisplay, *weight)) {
                return;
            }
        }
    }
}

} // namespace weighlet
