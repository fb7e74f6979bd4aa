#include "FuzzCheck.h"
#include "SettingsFile.h"

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto model = fuzz::Fresh<MeasurementModel>();
    if (ReadSettings(fuzz::InputBytes(data, size), *model) != LoadResult::Loaded) return 0;
    TK_FUZZ_CHECK(WriteSettings(*model).size() == SETTINGS_FILE_SIZE);
    fuzz::CheckRoundTrip(*model, ReadSettings, WriteSettings,
                         [](LoadResult r) { return r == LoadResult::Loaded; });
    return 0;
}
