// Writes the seed corpus of every fuzz target: every version of every data file, laid out field by field,
// and complete trace transfers as the interface sends them.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "SampleFiles.h"
#include "TraceBlocks.h"

using namespace tk;
using namespace tk::test;

namespace {

bool Put(const QString& dir, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    // Every version of every data file, each field with a value of its own.
    const auto put = [&](const char* corpus, const QString& name, const QByteArray& bytes) {
        ok &= Put(out + QLatin1Char('/') + QLatin1String(corpus), name, bytes);
    };
    put("parameterfile", QStringLiteral("par"), ParameterSample().bytes);
    for (int v = 0; v <= 4; ++v) put("settingsfile", QStringLiteral("set%1").arg(v), SettingsSample(v).bytes);
    put("boundariesfile", QStringLiteral("grn"), BoundariesSample().bytes);
    for (int v = 0; v <= 5; ++v)
        put("measurementfile", QStringLiteral("mes%1").arg(v), MeasurementSample(v, 8).bytes);
    put("measurementfile", QStringLiteral("mes5-4000"), MeasurementSample(5, 1).bytes);
    for (int v = 0; v <= 1; ++v) {
        put("calibrationfile", QStringLiteral("eic%1").arg(v), CalibrationSample(v, 12).bytes);
        put("scriptfile", QStringLiteral("scp%1").arg(v), ScriptSample(v).bytes);
    }

    // Trace seeds: mode byte (resolution in bits 0-1, trace in bits 2-3), pace byte, then the answers.
    const char headers[] = {'A', 'S', 'M'};
    for (int kind = 0; kind < 3; ++kind) {
        for (int r = 0; r < 4; ++r) {
            const int blocks = 40 >> r;
            QByteArray seed;
            seed.append(static_cast<char>(r | kind << 2));
            seed.append(static_cast<char>(kind == 1 ? 50 : 0));
            QByteArray broken = TraceBytes(headers[kind], blocks);  // block blocks/2 numbered one too high
            broken[(blocks / 2) * 102 + 1] = static_cast<char>(blocks / 2 + 1);
            seed += TraceBytes(headers[kind], blocks) + "\xA5\x5A" + broken;
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
        "*ESE 60;*SRE 32;*OPC;*ESR?;*STB?;*TST?;ABOR;SYST:ERR:COUN?;SYST:ERR:ALL?;SYST:VERS?\n",
        "FREQ:CENT 15MHZ;SPAN:DIV 50khz;STAR?;:BAND MIN;SWE:POIN DEF;:FORM:BORD NORM;:SCR:MESS?;:MMEM:CAT?\n",
    };
    int n = 0;
    for (const char* line : scpiLines)
        ok &= Put(out + QStringLiteral("/scpi"), QStringLiteral("line%1").arg(++n), QByteArray(line));
    return ok ? 0 : 1;
}
