#pragma once

#include <memory>

#include "MeasurementModel.h"

namespace tk {

// A model whose graph is open and shows nothing yet: every test switches on what it looks at.
inline std::unique_ptr<MeasurementModel> OpenGraphModel() {
    auto model = std::make_unique<MeasurementModel>();
    model->graphOpen = true;
    model->settings.showActual = false;
    model->settings.showAverage = false;
    model->settings.showPeak = false;
    return model;
}

}  // namespace tk
