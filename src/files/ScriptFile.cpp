#include "ScriptFile.h"

#include <algorithm>

#include "ByteCodec.h"
#include "FileIO.h"

namespace tk {
namespace {

const QString kFileHandling = QStringLiteral("File handling");

// A delay outside 0..2000 is kept in range as the script window keeps a typed one; the step never keeps the
// delay another script left at its position.
void ReadDelay(ByteReader& reader, std::int16_t& delay) {
    std::int16_t value = 0;
    if (reader.read(value)) delay = std::clamp<std::int16_t>(value, 0, SCRIPT_MAX_DELAY);
}

void ReadStep(ByteReader& r, ScriptStep& s, bool withPrintFlag) {
    if (withPrintFlag) r.read(s.printMeasurement);
    r.read(s.messageText);
    ReadDelay(r, s.delayMinutes);
    r.read(s.settingsFile);
    r.read(s.boundariesFile);
    r.read(s.calibrationFile);
    r.read(s.measurementFile);
    r.read(s.serialOutput);
    r.read(s.parallelOutput);
    r.read(s.parallelPort);
    r.read(s.controlPort);
    r.read(s.controlBaud);
    r.read(s.controlParity);
    r.read(s.controlDataBits);
    r.read(s.controlStopBits);
    r.read(s.controlHandshake);
}

void WriteStep(ByteWriter& w, const ScriptStep& s) {
    w.write(s.printMeasurement);
    w.write(s.messageText);
    w.write(s.delayMinutes);
    w.write(s.settingsFile);
    w.write(s.boundariesFile);
    w.write(s.calibrationFile);
    w.write(s.measurementFile);
    w.write(s.serialOutput);
    w.write(s.parallelOutput);
    w.write(s.parallelPort);
    w.write(s.controlPort);
    w.write(s.controlBaud);
    w.write(s.controlParity);
    w.write(s.controlDataBits);
    w.write(s.controlStopBits);
    w.write(s.controlHandshake);
}

}  // namespace

ScriptLoad LoadScriptBytes(const QByteArray& bytes, ScriptTable& table) {
    ByteReader reader(bytes);
    QByteArray tag;
    if (!reader.readBytes(5, tag)) return ScriptLoad::NotOpened;
    const bool current = tag == SCRIPT_TAG;
    if (!current && tag != SCRIPT_TAG_OLD) return ScriptLoad::TagUnknown;
    for (int i = 0; i < SCRIPT_STEP_COUNT; ++i) ReadStep(reader, table[static_cast<std::size_t>(i)], current);
    return reader.ok() ? ScriptLoad::Loaded : ScriptLoad::ShortRead;
}

QByteArray ScriptBytes(const ScriptTable& table) {
    ByteWriter writer;
    writer.writeBytes(QByteArray(SCRIPT_TAG));
    for (int i = 0; i < SCRIPT_STEP_COUNT; ++i) WriteStep(writer, table[static_cast<std::size_t>(i)]);
    return writer.bytes();
}

ScriptLoad LoadScript(MeasurementModel& model, UserDialogs& dialogs) {
    const auto bytes = ReadFileBytes(model.scriptFileName, SCRIPT_FILE_SIZE);
    const ScriptLoad result = bytes ? LoadScriptBytes(*bytes, model.scriptTable) : ScriptLoad::NotOpened;
    if (result != ScriptLoad::Loaded) dialogs.message(QStringLiteral("Cannot open file"), kFileHandling);
    return result;
}

bool SaveScript(const MeasurementModel& model, UserDialogs& dialogs) {
    if (WriteFileAtomically(model.scriptFileName, ScriptBytes(model.scriptTable))) return true;
    dialogs.message(QStringLiteral("File error"), kFileHandling);
    return false;
}

}  // namespace tk
