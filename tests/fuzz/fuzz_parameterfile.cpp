#include <QBuffer>

#include "FuzzCheck.h"
#include "ParameterFile.h"

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = fuzz::InputBytes(data, size);
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    ParameterFields fields;
    if (ReadParameterFile(file, fields) != ParameterReadResult::Ok) return 0;
    // Every byte of the record is a field, so what was read is written back exactly.
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    TK_FUZZ_CHECK(WriteParameterFile(out, fields));
    TK_FUZZ_CHECK(written == bytes.left(PARAMETER_FILE_SIZE));
    return 0;
}
