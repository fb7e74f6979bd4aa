#include "MeasurementModel.h"

#include <algorithm>

namespace tk {

void SetModelDefaults(MeasurementModel& model, const QString& today) {
    model.settings = MeasurementSettings{};
    model.moduleCalculating = true;
    model.moduleSleeping = true;
    model.fastMode = false;
    model.redrawPending = false;
    model.autoMeasurement = true;
    model.actualElapsed = model.peakElapsed = model.averageElapsed = 0.0f;
    model.timeActual.set(QStringLiteral("--:--:--"));
    model.timePeak.set(QStringLiteral("--:--:--"));
    model.timeAverage.set(QStringLiteral("--:--:--"));
    model.readDate.set(today);
    model.invalidTransferCount = 0;
    model.refSelActual = model.refSelAverage = model.refSelPeak = 3;
    model.refMode = 3;
    model.referenceCalcOn = false;
    model.parameters.replyTimeout = 1;
    model.parameters.traceTimeout = 20;
    model.parameters.settleDelay = 2;
    model.fileNames = FileNames{};
    model.scriptTable = ScriptTable{};
    model.scriptStepIndex = 0;
    model.scriptFileName = QStringLiteral("*.scp");
    model.printHeadline.set(QString());
    for (TraceArray* a : {&model.refActual, &model.refAverage, &model.refPeak, &model.traceComparison})
        std::fill_n(a->begin(), TRACE_SWEEP_LAST_INDEX + 1, std::int16_t{0});
}

void CopySweep(const TraceArray& source, TraceArray& target, int resolution) {
    if (resolution < 1) return;
    const int last = std::min(4000 / resolution, TRACE_LAST_INDEX);
    std::copy_n(source.begin(), last + 1, target.begin());
}

void ClearMeasuredTraces(MeasurementModel& model) {
    for (TraceArray* a : {&model.traceActual, &model.traceAverage, &model.tracePeak})
        std::fill_n(a->begin(), TRACE_SWEEP_LAST_INDEX + 1, std::int16_t{0});
    model.invalidTransferCount = 0;
    model.graphOpen = true;
}

}  // namespace tk
