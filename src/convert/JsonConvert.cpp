#include "JsonConvert.h"

#include <algorithm>
#include <tuple>

#include "CalibrationFile.h"
#include "JsonFields.h"
#include "ScriptFile.h"

namespace tk {
namespace {

constexpr std::size_t BOUNDARY_FILE_POINTS = 10;  // entry 10 of a line is in no file
constexpr std::size_t COMPARISON_POINTS = 4000;

bool ValidDelay(int v) {
    return v >= 0 && v <= SCRIPT_MAX_DELAY;
}

template <typename Io, typename Parameters>
void ParameterFields(Io& io, Parameters& p) {
    io("languageIndex", p.languageIndex);
    io("startScriptName", p.startScriptName);
    io("replyTimeout", p.replyTimeout);
    io("traceTimeout", p.traceTimeout);
    io("settleDelay", p.settleDelay);
}

template <typename Io, typename Settings>
void UnitJsonFields(Io& io, Settings& s) {
    io.checked("levelUnit", s.levelUnit, ValidLevelUnit);
    io("userUnitName", s.userUnitName);
    io("userUnitOffset", s.userUnitOffset);
}

// version: 0 "set  " .. 4 "set4 ".
template <typename Io, typename Model>
void SettingsFields(Io& io, Model& m, int version) {
    auto& s = m.settings;
    if (version >= 3) {
        io("printComparison", m.printComparison);
        io("printBlackWhite", m.printBlackWhite);
        io("printActual", m.printActual);
        io("printPeak", m.printPeak);
        io("printAverage", m.printAverage);
        io("printBoundaryActual", m.printBoundaryActual);
        io("printBoundaryPeak", m.printBoundaryPeak);
        io("printBoundaryAverage", m.printBoundaryAverage);
        io("printHeadline", m.printHeadline);
        io("printDateTime", m.printDateTime);
        io("printFileName", m.printFileName);
        io("printFromMHz", m.printFromMHz);
        io("printToMHz", m.printToMHz);
    }
    if (version >= 1) UnitJsonFields(io, s);
    if (version >= 4) {
        io.checked("bandwidthIndex", s.bandwidthIndex, ValidBandwidthIndex);
        io("videoFilterOn", s.videoFilterOn);
        io("printSettings", m.printSettings);
    }
    io.checked("portNumber", s.portNumber, ValidPortNumber);
    io.checked("resolution", s.resolution, ValidResolution);
    io.checked("baudIndex", s.baudIndex, ValidBaudIndex);
    io("showActual", s.showActual);
    io("showPeak", s.showPeak);
    io("showAverage", s.showAverage);
    io("actualInterval", s.actualInterval);
    io("peakInterval", s.peakInterval);
    io("averageInterval", s.averageInterval);
    io("noiseSuppression", s.noiseSuppression);
    io("attenuation", s.attenuation);
    io("centerFreq", s.centerFreq);
    io("scanWidth", s.scanWidth);
    io("limitActual", s.limitActual);
    io("limitPeak", s.limitPeak);
    io("limitAverage", s.limitAverage);
}

template <typename Io, typename Line>
void LineFields(Io& io, Line& line) {
    io.list("freqMHz", line.freqMHz, 0, BOUNDARY_FILE_POINTS);
    io.list("levelDbm", line.levelDbm, 0, BOUNDARY_FILE_POINTS);
    // The log flags are Booleans like every other flag, though the line keeps them as plain numbers.
    std::array<VbBool, std::tuple_size_v<decltype(line.logSegment)>> flags;
    std::transform(line.logSegment.begin(), line.logSegment.end(), flags.begin(), VbBool::fromRaw);
    io.list("logSegment", flags, 0, BOUNDARY_FILE_POINTS);
    if constexpr (!std::is_const_v<Line>)
        std::transform(flags.begin(), flags.end(), line.logSegment.begin(), [](VbBool b) { return b.raw(); });
}

template <typename Io, typename Model>
void BoundaryFields(Io& io, Model& m) {
    io.object1("boundaryActual", m.boundaryActual, [](Io& lineIo, auto& line) { LineFields(lineIo, line); });
    io.object1("boundaryAverage", m.boundaryAverage,
               [](Io& lineIo, auto& line) { LineFields(lineIo, line); });
    io.object1("boundaryPeak", m.boundaryPeak, [](Io& lineIo, auto& line) { LineFields(lineIo, line); });
}

// version: 0 "mes  " .. 5 "mes5 ". The resolution comes before the traces, whose length it sets.
template <typename Io, typename Model>
void MeasurementFields(Io& io, Model& m, int version) {
    auto& s = m.settings;
    if (version >= 3) {
        io.list("traceComparison", m.traceComparison, 1, COMPARISON_POINTS);
        io("showComparison", m.showComparison);
    }
    if (version >= 1) UnitJsonFields(io, s);
    if (version >= 5) {
        io.checked("bandwidthIndex", s.bandwidthIndex, ValidBandwidthIndex);
        io("videoFilterOn", s.videoFilterOn);
    }
    io.checked("resolution", s.resolution, ValidResolution);
    const auto points = static_cast<std::size_t>(StoredPoints(s.resolution));
    io.list("traceActual", m.traceActual, 1, points);
    io.list("traceAverage", m.traceAverage, 1, points);
    io.list("tracePeak", m.tracePeak, 1, points);
    BoundaryFields(io, m);
    io("noiseSuppression", s.noiseSuppression);
    io("attenuation", s.attenuation);
    io("centerFreq", s.centerFreq);
    io("scanWidth", s.scanWidth);
    io("readDate", m.readDate);
    io("timeActual", m.timeActual);
    io("timePeak", m.timePeak);
    io("timeAverage", m.timeAverage);
    io("limitActual", s.limitActual);
    io("limitPeak", s.limitPeak);
    io("limitAverage", s.limitAverage);
}

bool ValidPointCount(int v) {
    return v >= 0 && v <= CALIBRATION_FILE_MAX_POINTS;
}

template <typename Io, typename Curve>
void CalibrationFields(Io& io, Curve& curve) {
    io.checked("pointCount", curve.pointCount, ValidPointCount);
    const auto n = static_cast<std::size_t>(std::max<int>(curve.pointCount, 0));
    io.list("freqMHz", curve.freqMHz, 0, n);
    io.list("offsetDb", curve.offsetDb, 0, n);
}

// version: 0 "scp  ", 1 "scp1 ".
template <typename Io, typename Step>
void StepFields(Io& io, Step& s, int version) {
    if (version >= 1) io("printMeasurement", s.printMeasurement);
    io("messageText", s.messageText);
    io.checked("delayMinutes", s.delayMinutes, ValidDelay);
    io("settingsFile", s.settingsFile);
    io("boundariesFile", s.boundariesFile);
    io("calibrationFile", s.calibrationFile);
    io("measurementFile", s.measurementFile);
    io("serialOutput", s.serialOutput);
    io("parallelOutput", s.parallelOutput);
    io("parallelPort", s.parallelPort);
    io("controlPort", s.controlPort);
    io("controlBaud", s.controlBaud);
    io("controlParity", s.controlParity);
    io("controlDataBits", s.controlDataBits);
    io("controlStopBits", s.controlStopBits);
    io("controlHandshake", s.controlHandshake);
}

template <typename Io, typename Model>
void FileFields(Io& io, Model& m, FileKind kind, int version) {
    switch (kind) {
        case FileKind::Parameters:
            ParameterFields(io, m.parameters);
            break;
        case FileKind::Settings:
            SettingsFields(io, m, version);
            break;
        case FileKind::Boundaries:
            BoundaryFields(io, m);
            break;
        case FileKind::Measurement:
            MeasurementFields(io, m, version);
            break;
        case FileKind::Calibration:
            CalibrationFields(io, m.calibrationCurve);
            break;
        case FileKind::Script:
            io.objects("scriptTable", m.scriptTable.data(), SCRIPT_STEP_COUNT,
                       [version](Io& stepIo, auto& step) { StepFields(stepIo, step, version); });
            break;
    }
}

}  // namespace

QJsonObject DataFileToJson(const DataFile& file) {
    QJsonObject json;
    json["file"] = KindName(file.kind);
    json["tag"] = TextToJson(file.tag);
    JsonOut io{json};
    FileFields(io, static_cast<const MeasurementModel&>(*file.model), file.kind, file.version());
    return json;
}

bool DataFileFromJson(const QJsonObject& json, DataFile& file, QString& error) {
    const auto kind = KindOfName(json["file"].toString());
    if (!kind) {
        error = QStringLiteral(
            "file: expected one of parameters, settings, boundaries, measurement, "
            "calibrationCurve, script");
        return false;
    }
    file.kind = *kind;
    file.tag = json.contains("tag") ? json["tag"].toString().toLatin1() : TagsOf(*kind).last();
    if (file.version() < 0) {
        error = QStringLiteral("tag: \"%1\" is no version of a %2 file")
                    .arg(QString::fromLatin1(file.tag), KindName(*kind));
        return false;
    }
    JsonIn io{json, QString(), QString()};
    FileFields(io, *file.model, file.kind, file.version());
    error = io.error;
    return io.ok();
}

}  // namespace tk
