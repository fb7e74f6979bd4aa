#include "BoundariesFile.h"
#include "FuzzCheck.h"

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto model = fuzz::Fresh<MeasurementModel>();
    if (LoadBoundaries(fuzz::InputBytes(data, size), *model) != BoundariesLoad::Loaded) return 0;
    TK_FUZZ_CHECK(BoundariesBytes(*model).size() == BOUNDARIES_FILE_SIZE);
    fuzz::CheckRoundTrip(*model, LoadBoundaries, BoundariesBytes,
                         [](BoundariesLoad r) { return r == BoundariesLoad::Loaded; });
    return 0;
}
