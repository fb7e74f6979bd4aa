#include "CalibrationFile.h"
#include "FuzzCheck.h"

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CalibrationCurve curve;
    const CalibrationLoad result = LoadCalibrationBytes(fuzz::InputBytes(data, size), curve);
    TK_FUZZ_CHECK(curve.pointCount >= 0 && curve.pointCount <= CALIBRATION_FILE_MAX_POINTS);
    if (result != CalibrationLoad::Loaded) return 0;
    fuzz::CheckRoundTrip(curve, LoadCalibrationBytes, CalibrationFileBytes,
                         [](CalibrationLoad r) { return r == CalibrationLoad::Loaded; });
    return 0;
}
