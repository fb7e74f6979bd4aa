#include "FuzzCheck.h"
#include "ScriptFile.h"

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto table = fuzz::Fresh<ScriptTable>();
    if (LoadScriptBytes(fuzz::InputBytes(data, size), *table) != ScriptLoad::Loaded) return 0;
    TK_FUZZ_CHECK(ScriptBytes(*table).size() == SCRIPT_FILE_SIZE);
    fuzz::CheckRoundTrip(*table, LoadScriptBytes, ScriptBytes,
                         [](ScriptLoad r) { return r == ScriptLoad::Loaded; });
    return 0;
}
