#include "ParameterFile.h"

namespace tk {
namespace {
bool ReadByte(QIODevice& device, std::uint8_t& value) {
    char c = 0;
    if (!device.getChar(&c)) return false;
    value = static_cast<std::uint8_t>(c);
    return true;
}
}  // namespace

ParameterReadResult ReadParameterFile(QIODevice& device, ParameterFields& fields) {
    if (!device.seek(0)) return ParameterReadResult::BadSignature;
    if (device.read(5) != QByteArray(PARAMETER_SIGNATURE)) return ParameterReadResult::BadSignature;
    if (!ReadByte(device, fields.languageIndex)) return ParameterReadResult::ReadFailed;
    const QByteArray name = device.read(160);
    if (name.size() != 160) return ParameterReadResult::ReadFailed;
    fields.startScriptName.setBytes(name);
    if (!ReadByte(device, fields.replyTimeout) || !ReadByte(device, fields.traceTimeout) ||
        !ReadByte(device, fields.settleDelay))
        return ParameterReadResult::ReadFailed;
    return ParameterReadResult::Ok;
}

bool WriteParameterFile(QIODevice& device, const ParameterFields& fields) {
    QByteArray bytes(PARAMETER_SIGNATURE);
    bytes.append(static_cast<char>(fields.languageIndex));
    bytes.append(fields.startScriptName.bytes());
    bytes.append(static_cast<char>(fields.replyTimeout));
    bytes.append(static_cast<char>(fields.traceTimeout));
    bytes.append(static_cast<char>(fields.settleDelay));
    if (!device.seek(0)) return false;
    return device.write(bytes) == PARAMETER_FILE_SIZE;
}

}  // namespace tk
