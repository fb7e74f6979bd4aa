#include "FuzzCheck.h"
#include "MeasurementFile.h"

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A fresh model shows all three traces and no comparison curve, so the loader takes every field.
    auto model = fuzz::Fresh<MeasurementModel>();
    if (ReadMeasurement(fuzz::InputBytes(data, size), *model) != LoadResult::Loaded) return 0;
    TK_FUZZ_CHECK(WriteMeasurement(*model).size() == MeasurementFileSize(model->settings.resolution));
    fuzz::CheckRoundTrip(*model, ReadMeasurement, WriteMeasurement,
                         [](LoadResult r) { return r == LoadResult::Loaded; });
    return 0;
}
