// Writes the seed corpus of every fuzz target: the files the program itself writes, in each layout the
// loaders know, and complete trace transfers as the interface sends them.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <memory>

#include "BoundariesFile.h"
#include "CalibrationFile.h"
#include "MeasurementFile.h"
#include "ParameterFile.h"
#include "ScriptFile.h"
#include "SettingsFile.h"

using namespace tk;

namespace {

bool Put(const QString& dir, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The same bytes under an older tag of the format.
QByteArray Retagged(QByteArray bytes, const char* tag) {
    return bytes.replace(0, 5, QByteArray(tag, 5));
}

// A model whose fields differ from the defaults, so that the seeds carry values in every field.
std::unique_ptr<MeasurementModel> BusyModel(std::int16_t resolution) {
    auto m = std::make_unique<MeasurementModel>();
    MeasurementSettings& s = m->settings;
    s.centerFreq = 123.5f;
    s.scanWidth = 2.0f;
    s.resolution = resolution;
    s.levelUnit = 3;
    s.userUnitName.set(QStringLiteral("dBuA"));
    s.limitPeak = true;
    m->showComparison = true;
    for (std::size_t i = 0; i < m->traceActual.size(); ++i) {
        m->traceActual[i] = static_cast<std::int16_t>(i % 256);
        m->tracePeak[i] = static_cast<std::int16_t>((i * 3) % 256);
        m->traceAverage[i] = static_cast<std::int16_t>((i * 7) % 256);
        m->traceComparison[i] = static_cast<std::int16_t>((i * 5) % 256);
    }
    for (std::size_t i = 0; i < m->boundaryPeak.freqMHz.size(); ++i) {
        m->boundaryPeak.freqMHz[i] = 30.0f + 100.0f * static_cast<float>(i);
        m->boundaryPeak.levelDbm[i] = -40.0f - static_cast<float>(i);
        m->boundaryPeak.logSegment[i] = static_cast<std::int16_t>(i % 2 ? -1 : 0);
    }
    m->readDate.set(QStringLiteral("06.12.2026"));
    m->timeActual.set(QStringLiteral("12:00:01"));
    return m;
}

QByteArray Trace(char header, int blocks, int brokenBlock = -1) {
    QByteArray t;
    for (int n = 0; n < blocks; ++n) {
        t.append(header);
        t.append(static_cast<char>(n == brokenBlock ? n + 1 : n));
        for (int k = 0; k < 100; ++k) t.append(static_cast<char>((n * 100 + k) % 256));
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    const auto plain = std::make_unique<MeasurementModel>();

    ParameterFields fields;
    for (int named = 0; named < 2; ++named) {
        if (named) fields.startScriptName.set(QStringLiteral("/home/user/night.scp"));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ok &= WriteParameterFile(buffer, fields);
        ok &= Put(out + QStringLiteral("/parameterfile"), QStringLiteral("par%1").arg(named), bytes);
    }

    for (const char* tag : {"set4 ", "set3 ", "set2 ", "set1 ", "set  "}) {
        const QString name = QString::fromLatin1(tag).trimmed();
        ok &= Put(out + QStringLiteral("/settingsfile"), name, Retagged(WriteSettings(*plain), tag));
        ok &= Put(out + QStringLiteral("/settingsfile"), name + QStringLiteral("-busy"),
                  Retagged(WriteSettings(*BusyModel(2)), tag));
    }

    ok &= Put(out + QStringLiteral("/boundariesfile"), QStringLiteral("plain"), BoundariesBytes(*plain));
    ok &=
        Put(out + QStringLiteral("/boundariesfile"), QStringLiteral("busy"), BoundariesBytes(*BusyModel(8)));

    for (const char* tag : {"mes5 ", "mes4 ", "mes3 ", "mes2 ", "mes1 ", "mes  "}) {
        const QString name = QString::fromLatin1(tag).trimmed();
        ok &= Put(out + QStringLiteral("/measurementfile"), name,
                  Retagged(WriteMeasurement(*BusyModel(8)), tag));
    }
    ok &= Put(out + QStringLiteral("/measurementfile"), QStringLiteral("mes5-4000"),
              WriteMeasurement(*BusyModel(1)));

    CalibrationCurve curve;
    ok &= Put(out + QStringLiteral("/calibrationfile"), QStringLiteral("empty"), CalibrationFileBytes(curve));
    for (int i = 0; i < 12; ++i) {
        curve.freqMHz[static_cast<std::size_t>(i)] = 10.0f * static_cast<float>(i + 1);
        curve.offsetDb[static_cast<std::size_t>(i)] = 0.5f * static_cast<float>(i);
    }
    curve.pointCount = 12;
    const QByteArray twelve = CalibrationFileBytes(curve);
    ok &= Put(out + QStringLiteral("/calibrationfile"), QStringLiteral("eic1"), twelve);
    ok &= Put(out + QStringLiteral("/calibrationfile"), QStringLiteral("eic"),
              QByteArray("eic  ") + twelve.mid(7, 80));

    ScriptTable table{};
    ok &= Put(out + QStringLiteral("/scriptfile"), QStringLiteral("scp1-plain"), ScriptBytes(table));
    table[0].printMeasurement = true;
    table[0].messageText.set(QStringLiteral("Night run"));
    table[0].delayMinutes = 15;
    table[1].settingsFile.set(QStringLiteral("a.set"));
    table[1].controlPort = 2;
    table[1].controlBaud = 9600;
    table[1].controlParity.set(QStringLiteral("N"));
    ok &= Put(out + QStringLiteral("/scriptfile"), QStringLiteral("scp1"), ScriptBytes(table));
    // The older layout: the same groups without their leading print flag.
    QByteArray old("scp  ");
    const QByteArray current = ScriptBytes(table);
    for (int g = 0; g < 10; ++g) old += current.mid(5 + g * SCRIPT_GROUP_SIZE + 2, SCRIPT_GROUP_SIZE_OLD);
    ok &= Put(out + QStringLiteral("/scriptfile"), QStringLiteral("scp"), old);

    // Trace seeds: mode byte (resolution in bits 0-1, trace in bits 2-3), pace byte, then the answers.
    const char headers[] = {'A', 'S', 'M'};
    for (int kind = 0; kind < 3; ++kind) {
        for (int r = 0; r < 4; ++r) {
            const int blocks = 40 >> r;
            QByteArray seed;
            seed.append(static_cast<char>(r | kind << 2));
            seed.append(static_cast<char>(kind == 1 ? 50 : 0));
            seed += Trace(headers[kind], blocks) + "\xA5\x5A" + Trace(headers[kind], blocks, blocks / 2);
            ok &= Put(out + QStringLiteral("/tracereader"), QStringLiteral("trace-%1-%2").arg(kind).arg(r),
                      seed);
        }
    }
    // Program lines of the SCPI server, as a test script sends them.
    const char* const scpiLines[] = {
        "*IDN?;*OPC?\n",
        "SENS:FREQ:CENT 3.9;:SENSE:FREQUENCY:SPAN:DIV 0.5;RES 1;UNIT:POW DBUV\n",
        "FORM REAL,32;:TRAC:DATA? ACT;:TRAC:FREQ?;TRAC:TIME? PEAK\r\n",
        "MMEM:LOAD:LIM \"a;b\"\"c.grn\";:MMEM:STOR:MEAS 'x.mes'\n",
        "CALC:LIM:STAT ACT,ON;:CALC:LIM:FAIL?;MARG? ACT;:SYST:ERR?\n",
        "X #15ab;c\n,1;*CLS;INIT:CONT OFF;SCR:STAT?\n",
    };
    int n = 0;
    for (const char* line : scpiLines)
        ok &= Put(out + QStringLiteral("/scpi"), QStringLiteral("line%1").arg(++n), QByteArray(line));
    return ok ? 0 : 1;
}
