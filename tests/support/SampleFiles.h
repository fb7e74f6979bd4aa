#pragma once

// Every version of every data file, laid out here field by field from its layout table, independently of the
// program's loaders and writers. Each field holds a value that no other field of its file holds (as far as
// its type allows), so a loader that swaps two fields, or a writer that writes one in the wrong place, shows.
// Beside the bytes the builder records, for each field, where its last byte lies and what a loader must have
// put into a default model once it has read it: so a test knows the model a file cut anywhere must give.
#include <QByteArray>
#include <QtEndian>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "MeasurementModel.h"
#include "ScriptTable.h"

namespace tk::test {

// Little-endian bytes of a value.
template <typename T>
QByteArray Le(std::int64_t v) {
    QByteArray b(sizeof(T), '\0');
    qToLittleEndian<T>(static_cast<T>(v), b.data());
    return b;
}
inline QByteArray I16(int v) {
    return Le<std::int16_t>(v);
}
inline QByteArray F32(float v) {
    return Le<std::uint32_t>(std::bit_cast<std::uint32_t>(v));
}

template <typename Model>
struct SampleFile {
    QByteArray bytes;
    struct Field {
        qsizetype end;  // the field is whole in a prefix of at least this many bytes
        std::function<void(Model&)> load;
    };
    std::vector<Field> fields;

    // The model a loader makes of the whole file, starting from a default one.
    std::unique_ptr<Model> loaded() const {
        auto m = std::make_unique<Model>();
        for (const Field& f : fields) f.load(*m);
        return m;
    }
};

template <typename Model>
class SampleBuilder {
public:
    explicit SampleBuilder(const char* tag) : m_names(std::make_unique<Model>()) { m_file.bytes = tag; }

    // The model whose members name the fields: b.i16(b.names().settings.portNumber).
    Model& names() { return *m_names; }

    SampleBuilder& i16(std::int16_t& field) { return i16(field, next()); }
    SampleBuilder& i16(std::int16_t& field, int value) {
        return put(field, static_cast<std::int16_t>(value), I16(value));
    }
    SampleBuilder& flag(VbBool& field) {
        const auto raw = static_cast<std::int16_t>(-next());  // non-zero: true, and a value of its own
        return put(field, VbBool::fromRaw(raw), I16(raw));
    }
    SampleBuilder& i32(std::int32_t& field) {
        const std::int32_t v = 70000 + next();
        return put(field, v, Le<std::int32_t>(v));
    }
    SampleBuilder& f32(float& field) { return f32(field, nextFloat()); }
    SampleBuilder& f32(float& field, float value) { return put(field, value, F32(value)); }
    SampleBuilder& u8(std::uint8_t& field) {
        const auto v = static_cast<std::uint8_t>(next());
        return put(field, v, QByteArray(1, static_cast<char>(v)));
    }
    // Text with an inner blank, a Latin-1 letter and the padding blanks.
    template <std::size_t N>
    SampleBuilder& text(FixedText<N>& field) {
        QByteArray t = N == 1 ? QByteArray(1, static_cast<char>('A' + next() % 26))
                              : ("t" + QByteArray::number(next()) + " \xE4").left(static_cast<qsizetype>(N));
        t = t.leftJustified(static_cast<qsizetype>(N), ' ');
        FixedText<N> value;
        value.setBytes(t);
        return put(field, value, t);
    }
    // The first versions' user unit: the name's bare characters up to the offset's first byte, which is 0.
    // The name is taken once that 0 byte is read.
    SampleBuilder& bareUnit(FixedText<30>& name, float& offset) {
        const QByteArray bare = "u" + QByteArray::number(next());
        m_file.bytes += bare;
        FixedText<30> value;
        value.setBytes(bare);
        record(name, value, m_file.bytes.size() + 1);
        return f32(offset, -97.5f);  // 00 00 C3 C2
    }
    // Any other field: its bytes and what loading it does.
    SampleBuilder& field(const QByteArray& bytes, std::function<void(Model&)> load) {
        m_file.bytes += bytes;
        m_file.fields.push_back({m_file.bytes.size(), std::move(load)});
        return *this;
    }
    int next() { return m_next++; }
    // The first floats of a file are values a lossy path would change: a NaN with a payload, -0, the
    // smallest subnormal and -infinity; the rest count up.
    float nextFloat() {
        static const std::uint32_t special[] = {0x7FC12345u, 0x80000000u, 0x00000001u, 0xFF800000u};
        const int k = m_floats++;
        return k < 4 ? std::bit_cast<float>(special[k]) : static_cast<float>(next()) + 0.25f;
    }
    SampleFile<Model> done() { return std::move(m_file); }

private:
    template <typename T>
    SampleBuilder& put(T& field, const T& value, const QByteArray& bytes) {
        m_file.bytes += bytes;
        record(field, value, m_file.bytes.size());
        return *this;
    }
    // The field is found again in another model at the same place as in names().
    template <typename T>
    void record(T& field, const T& value, qsizetype end) {
        const auto at = reinterpret_cast<const char*>(&field) - reinterpret_cast<const char*>(m_names.get());
        m_file.fields.push_back({end, [at, value](Model& m) {
                                     *reinterpret_cast<T*>(reinterpret_cast<char*>(&m) + at) = value;
                                 }});
    }

    std::unique_ptr<Model> m_names;
    SampleFile<Model> m_file;
    int m_next = 10;
    int m_floats = 0;
};

// The level unit and the user unit: the name's bare characters in the first versions, 30 blank-padded
// characters after them.
inline void UnitFields(SampleBuilder<MeasurementModel>& b, MeasurementSettings& s, bool bare) {
    b.i16(s.levelUnit, 3);
    if (bare)
        b.bareUnit(s.userUnitName, s.userUnitOffset);
    else
        b.text(s.userUnitName).f32(s.userUnitOffset);
}

// "set  ", "set1 " ... "set4 ": version 0 to 4.
inline SampleFile<MeasurementModel> SettingsSample(int version) {
    SampleBuilder<MeasurementModel> b(version == 0 ? "set  "
                                                   : qPrintable(QStringLiteral("set%1 ").arg(version)));
    MeasurementModel& m = b.names();
    MeasurementSettings& s = m.settings;
    if (version == 1 || version == 2) UnitFields(b, s, version == 1);
    if (version >= 3) {
        for (VbBool* f :
             {&m.printComparison, &m.printBlackWhite, &m.printActual, &m.printPeak, &m.printAverage,
              &m.printBoundaryActual, &m.printBoundaryPeak, &m.printBoundaryAverage})
            b.flag(*f);
        b.text(m.printHeadline)
            .flag(m.printDateTime)
            .flag(m.printFileName)
            .f32(m.printFromMHz)
            .f32(m.printToMHz);
        UnitFields(b, s, false);
    }
    if (version == 4) b.i16(s.bandwidthIndex, 2).i16(s.videoFilterOn).i16(m.printSettings);
    b.i16(s.portNumber, 4).i16(s.resolution, 1).i16(s.baudIndex, 5);
    b.flag(s.showActual).flag(s.showPeak).flag(s.showAverage);
    b.i32(s.actualInterval).i32(s.peakInterval).i32(s.averageInterval);
    b.f32(s.noiseSuppression).f32(s.attenuation).f32(s.centerFreq).f32(s.scanWidth);
    b.flag(s.limitActual).flag(s.limitPeak).flag(s.limitAverage);
    return b.done();
}

// The ten interleaved points of the three boundary lines, as the boundaries and measurement files hold them.
template <typename Model>
void BoundaryGroups(SampleBuilder<Model>& b, MeasurementModel& m) {
    for (std::size_t i = 0; i < 10; ++i)
        for (BoundaryLine* line : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak})
            b.f32(line->freqMHz[i]).f32(line->levelDbm[i]).i16(line->logSegment[i]);
}

inline SampleFile<MeasurementModel> BoundariesSample() {
    SampleBuilder<MeasurementModel> b("grn  ");
    BoundaryGroups(b, b.names());
    return b.done();
}

// "mes  ", "mes1 " ... "mes5 ": version 0 to 5, its traces at the given resolution.
inline SampleFile<MeasurementModel> MeasurementSample(int version, int resolution = 4) {
    SampleBuilder<MeasurementModel> b(version == 0 ? "mes  "
                                                   : qPrintable(QStringLiteral("mes%1 ").arg(version)));
    MeasurementModel& m = b.names();
    MeasurementSettings& s = m.settings;
    if (version == 1 || version == 2) UnitFields(b, s, version == 1);
    if (version >= 3) {
        for (std::size_t i = 1; i <= 4000; ++i) {
            if (version == 3) {
                const auto v = static_cast<std::uint8_t>(b.next());  // one unsigned byte a point
                b.field(QByteArray(1, static_cast<char>(v)),
                        [i, v](MeasurementModel& t) { t.traceComparison[i] = v; });
            } else {
                b.i16(m.traceComparison[i]);
            }
        }
        b.flag(m.showComparison);
        UnitFields(b, s, false);
    }
    if (version == 5) b.i16(s.bandwidthIndex, 2).i16(s.videoFilterOn);
    b.i16(s.resolution, resolution);
    for (TraceArray* trace : {&m.traceActual, &m.traceAverage, &m.tracePeak})
        for (std::size_t i = 1; i <= static_cast<std::size_t>(4000 / resolution); ++i) b.i16((*trace)[i]);
    BoundaryGroups(b, m);
    b.f32(s.noiseSuppression).f32(s.attenuation).f32(s.centerFreq).f32(s.scanWidth);
    b.text(m.readDate).text(m.timeActual).text(m.timePeak).text(m.timeAverage);
    b.flag(s.limitActual).flag(s.limitPeak).flag(s.limitAverage);
    return b.done();
}

// "eic  " (version 0, always ten pairs) or "eic1 " with a count. A pair is taken whole or not at all, and the
// curve counts the pairs taken.
inline SampleFile<CalibrationCurve> CalibrationSample(int version, int points = 3) {
    using B = SampleBuilder<CalibrationCurve>;
    B b(version == 0 ? "eic  " : "eic1 ");
    if (version == 0) points = 10;
    b.field(version == 0 ? QByteArray() : I16(points), [](CalibrationCurve& c) { c.pointCount = 0; });
    for (std::size_t i = 0; i < static_cast<std::size_t>(points); ++i) {
        const float f = b.nextFloat(), o = b.nextFloat();
        b.field(F32(f) + F32(o), [i, f, o](CalibrationCurve& c) {
            c.freqMHz[i] = f;
            c.offsetDb[i] = o;
            c.pointCount = static_cast<std::int16_t>(i + 1);
        });
    }
    return b.done();
}

// "scp  " (version 0, without the print flags) or "scp1 ".
inline SampleFile<ScriptTable> ScriptSample(int version) {
    SampleBuilder<ScriptTable> b(version == 0 ? "scp  " : "scp1 ");
    for (int i = 0; i < SCRIPT_STEP_COUNT; ++i) {
        ScriptStep& s = b.names()[static_cast<std::size_t>(i)];
        if (version == 1) b.flag(s.printMeasurement);
        b.text(s.messageText).i16(s.delayMinutes);
        for (ScriptText* t : {&s.settingsFile, &s.boundariesFile, &s.calibrationFile, &s.measurementFile,
                              &s.serialOutput, &s.parallelOutput})
            b.text(*t);
        b.i16(s.parallelPort).i16(s.controlPort).i16(s.controlBaud).text(s.controlParity);
        b.i16(s.controlDataBits).i16(s.controlStopBits).i16(s.controlHandshake);
    }
    return b.done();
}

inline SampleFile<ParameterFields> ParameterSample() {
    SampleBuilder<ParameterFields> b("par01");
    ParameterFields& p = b.names();
    b.u8(p.languageIndex).text(p.startScriptName).u8(p.replyTimeout).u8(p.traceTimeout).u8(p.settleDelay);
    return b.done();
}

}  // namespace tk::test
