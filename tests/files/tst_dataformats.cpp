// The data files' loaders and writers, beyond the layout-driven check of every loader in tst_fileio: what a
// load leaves of the model before, values out of range, and the files shipped with the program.
#include <QTemporaryDir>
#include <QtTest>

#include "BoundariesFile.h"
#include "BoundaryLevels.h"
#include "CalibrationFile.h"
#include "CurvePoints.h"
#include "FileBytes.h"
#include "MeasurementFile.h"
#include "Rows.h"
#include "SampleFiles.h"
#include "ScriptFile.h"
#include "ScriptedDialogs.h"
#include "SettingsFile.h"
#include "StandardLimits.h"

using namespace tk;
using namespace tk::test;

namespace {

QByteArray Pairs(const Points& points) {
    QByteArray b;
    for (const auto& p : points) b += F32(p.first) + F32(p.second);
    return b;
}

Points Numbered(int n) {
    Points p;
    for (int i = 0; i < n; ++i) p.append({10.0f * static_cast<float>(i + 1), 0.5f * static_cast<float>(i)});
    return p;
}

// What the curve held before a load.
const Points BEFORE = {{1.0f, 11.0f}, {2.0f, 12.0f}, {3.0f, 13.0f}, {4.0f, 14.0f}, {5.0f, 15.0f}};

void Fill(MeasurementModel& m, float value) {
    for (BoundaryLine* b : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak}) {
        b->freqMHz.fill(value);
        b->levelDbm.fill(value);
        b->logSegment.fill(7);
    }
}

}  // namespace

class TestDataFormats : public QObject {
    Q_OBJECT
private slots:
    // The calibration curve file: the count's limits and what stays of the curve before. The editor's tests
    // load and save files, short and foreign ones too.
    void calibrationLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<Points>("points");
        const QByteArray eic1 = "eic1 ";
        const Points three{{100.0f, 2.0f}, {200.0f, -4.5f}, {1500.25f, 0.0f}};
        const auto loaded = static_cast<int>(CalibrationLoad::Loaded);
        const auto shortRead = static_cast<int>(CalibrationLoad::ShortRead);

        Row("101 points give the first 100", eic1 + I16(101) + Pairs(Numbered(101)), loaded, Numbered(100));
        Row("negative count is empty", eic1 + I16(-3) + Pairs(three), loaded, Points{});
        Row("count cut short", eic1 + QByteArray(1, '\x03'), shortRead, BEFORE);
        const Points tenOld = Numbered(8) + Points{{0.0f, 0.0f}, {0.0f, 1.0f}};
        Row("old tag: ten pairs, zeros included", "eic  " + Pairs(tenOld), loaded, tenOld);
        Row("old tag ignores what follows", "eic  " + Pairs(Numbered(12)), loaded, Numbered(10));
    }
    void calibrationLoad() {
        QFETCH(QByteArray, bytes);
        CalibrationCurve curve = CurveOf(BEFORE);
        QTEST(static_cast<int>(LoadCalibrationBytes(bytes, curve)), "result");
        QTEST(PointsOf(curve), "points");
    }

    // All typed points are saved, also those past the 100 a load takes.
    void calibrationSave() {
        QCOMPARE(CalibrationFileBytes(CurveOf(Numbered(101))), "eic1 " + I16(101) + Pairs(Numbered(101)));
    }

    // Entry 10 of every line is not in the file and keeps its value.
    void entryTenIsNotInTheFile() {
        MeasurementModel m;
        Fill(m, 99.0f);
        QCOMPARE(LoadBoundaries(BoundariesSample().bytes, m), BoundariesLoad::Loaded);
        for (BoundaryLine* b : {&m.boundaryActual, &m.boundaryAverage, &m.boundaryPeak})
            QVERIFY(b->freqMHz[10] == 99.0f && b->levelDbm[10] == 99.0f && b->logSegment[10] == 7);
    }

    // A file that cannot be opened changes nothing; what was read before the end of a short file stays.
    // Either is named in a message.
    void badFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("pointsRead");  // complete points of the actual line taken from the file
        QTest::newRow("missing") << "missing" << int(BoundariesLoad::NotOpened) << 0;
        QTest::newRow("two and a half groups") << "x.grn" << int(BoundariesLoad::ShortRead) << 3;
    }
    void badFiles() {
        QFETCH(QString, name);
        QFETCH(int, pointsRead);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (name != "missing") QVERIFY(WriteFileAtomically(path, BoundariesSample().bytes.left(5 + 75)));
        MeasurementModel m;
        Fill(m, 99.0f);
        ScriptedDialogs dialogs;
        QTEST(int(LoadBoundariesFile(path, m, dialogs)), "result");
        QCOMPARE(dialogs.messages, (QList<ScriptedDialogs::Message>{{"Cannot open file", "File handling"}}));
        const auto want = BoundariesSample().loaded();
        for (std::size_t i = 0; i < 10; ++i)
            QCOMPARE(std::bit_cast<quint32>(m.boundaryActual.freqMHz[i]),
                     std::bit_cast<quint32>(int(i) < pointsRead ? want->boundaryActual.freqMHz[i] : 99.0f));
    }

    // The shipped files are the table's lines as the program writes them. Loaded, the quasi-peak line checks
    // the actual and the peak trace, the average line the average trace: class B at 0.3 MHz, on its falling
    // log segments, is 60.24 and 50.24 dBuV.
    void shippedLimits() {
        const QString folder = QStringLiteral(TK_SOURCE_DIR "/examples/limits/");
        for (const StandardLimits& limits : CisprConductedLimits()) {
            MeasurementModel table;
            ApplyStandardLimits(limits, table);
            QCOMPARE(FileBytes(folder + limits.fileName), BoundariesBytes(table));
        }
        MeasurementModel m;
        ScriptedDialogs dialogs;
        const QString classB = folder + "cispr32-class-b-mains.grn";
        QCOMPARE(LoadBoundariesFile(classB, m, dialogs), BoundariesLoad::Loaded);
        const BoundaryLevels at = BoundaryLevelsAt(m, 0.3f);
        QCOMPARE((QList<int>{at.boundaryLevelActual, at.boundaryLevelPeak, at.boundaryLevelAverage}),
                 (QList<int>{-47, -47, -57}));
    }

    // The script file (tests/app/headless.sh runs a script that cannot be opened). Position 10 is never
    // loaded; the older layout leaves the print flags as they were.
    void loadsLeaveWhatTheFileDoesNotHold() {
        ScriptTable table{};
        table[3].printMeasurement = true;
        table[SCRIPT_END_POSITION].messageText.set(QStringLiteral("end"));
        QCOMPARE(LoadScriptBytes(ScriptSample(0).bytes, table), ScriptLoad::Loaded);
        QCOMPARE(table[SCRIPT_END_POSITION].messageText.rightTrimmed(), QStringLiteral("end"));
        for (std::size_t i = 0; i < 10; ++i)
            QCOMPARE(table[i].printMeasurement.raw(), std::int16_t(i == 3 ? -1 : 0));
    }

    // Out of range is brought into 0..2000; nothing stays of the delay the position held before.
    void delayOutOfRangeIsClamped_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("loaded");
        QTest::newRow("2000") << 2000 << 2000;
        QTest::newRow("2001") << 2001 << 2000;
        QTest::newRow("negative") << -5 << 0;
    }
    void delayOutOfRangeIsClamped() {
        QFETCH(int, stored);
        QByteArray bytes = ScriptSample(1).bytes;
        bytes.replace(5 + 2 + 80, 2, I16(stored));
        ScriptTable table{};
        table[0].delayMinutes = 7;
        QCOMPARE(LoadScriptBytes(bytes, table), ScriptLoad::Loaded);
        QTEST(int(table[0].delayMinutes), "loaded");
    }

    // The settings file: a long bare name is cut.
    void set1LongNameIsCut() {
        QByteArray file = SettingsSample(1).bytes;
        file.insert(7, QByteArray(40, 'n'));  // in front of the bare name
        MeasurementModel m;
        QCOMPARE(ReadSettings(file, m), LoadResult::Loaded);
        QCOMPARE(m.settings.userUnitName.bytes(), QByteArray(30, 'n'));
        QCOMPARE(m.settings.userUnitOffset, -97.5f);
    }

    // A stored value that would select a missing option or divide by zero keeps the current value.
    void outOfRangeValueKeepsTheCurrentOne_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        Row("unit 4", 113, 4);
        Row("unit -1", 113, -1);
        Row("bandwidth 4", 149, 4);
        Row("port 0", 155, 0);
        Row("port 5", 155, 5);
        Row("resolution 0", 157, 0);
        Row("baud 0", 159, 0);
        Row("baud 6", 159, 6);
    }
    void outOfRangeValueKeepsTheCurrentOne() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QByteArray file = SettingsSample(4).bytes;
        file.replace(offset, 2, QByteArray(1, char(value)) + QByteArray(1, char(value < 0 ? 0xFF : 0)));
        MeasurementModel m;
        const QByteArray before = WriteSettings(m);
        QCOMPARE(ReadSettings(file, m), LoadResult::Incomplete);
        QByteArray expected = file;
        expected.replace(offset, 2, before.mid(offset, 2));
        QCOMPARE(WriteSettings(m), expected);
    }

    // The measurement file: the show flags decide which traces and which comparison curve a load keeps. A
    // trace switched off keeps its contents, and the traces after it still load from their places.
    void traceSwitchedOffKeepsItsValues_data() {
        QTest::addColumn<int>("off");
        QTest::newRow("actual") << 0;
        QTest::newRow("average") << 1;
        QTest::newRow("peak") << 2;
    }
    void traceSwitchedOffKeepsItsValues() {
        QFETCH(int, off);
        MeasurementModel m;
        VbBool* flags[] = {&m.settings.showActual, &m.settings.showAverage, &m.settings.showPeak};
        TraceArray* traces[] = {&m.traceActual, &m.traceAverage, &m.tracePeak};
        *flags[off] = false;
        traces[off]->fill(7);
        const auto sample = MeasurementSample(5, 8);
        const auto want = sample.loaded();
        QCOMPARE(ReadMeasurement(sample.bytes, m), LoadResult::Loaded);
        QCOMPARE(m.traceActual[250], off == 0 ? 7 : want->traceActual[250]);
        QCOMPARE(m.traceAverage[250], off == 1 ? 7 : want->traceAverage[250]);
        QCOMPARE(m.tracePeak[500], off == 2 ? 7 : want->tracePeak[500]);
        // Point 0, which no file holds, starts the graph at point 1's level.
        for (int t = 0; t < 3; ++t) QCOMPARE((*traces[t])[0], t == off ? 7 : (*traces[t])[1]);
        QCOMPARE(m.settings.limitAverage.raw(), want->settings.limitAverage.raw());
    }

    void shownComparisonCurveStays() {
        MeasurementModel m;
        m.showComparison = true;
        m.traceComparison.fill(9);
        QByteArray file = MeasurementSample(4, 8).bytes;
        file.replace(8005, 2, I16(0));
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Loaded);
        QCOMPARE(m.traceComparison[1], 9);
        QCOMPARE(m.traceComparison[4000], 9);
        QVERIFY(!m.showComparison);
        QCOMPARE(m.settings.levelUnit, 3);
    }

    // A stored resolution no sweep has (none of 1, 2, 4 and 8) would walk the wrong number of points: the
    // file is refused whole and the model keeps what it held; the converter's test refuses a 3.
    void unusableResolutionRefused() {
        QByteArray file = MeasurementSample(5, 8).bytes;
        // The common part at resolution 8 is 3364 bytes from the resolution on.
        file.replace(file.size() - 3364, 2, I16(0));
        MeasurementModel m;
        const QByteArray before = WriteMeasurement(m);
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Refused);
        QCOMPARE(WriteMeasurement(m), before);
    }

    // A "mes1 " file whose unit name is empty: the offset's 0 byte comes right after the unit.
    void mes1WithoutUnitName() {
        QByteArray file = MeasurementSample(1, 8).bytes.remove(7, 3);
        MeasurementModel m;
        QCOMPARE(ReadMeasurement(file, m), LoadResult::Loaded);
        QCOMPARE(m.settings.userUnitName.bytes(), QByteArray(30, ' '));
        QCOMPARE(m.settings.userUnitOffset, -97.5f);
    }

    void caption() {
        MeasurementModel m;
        m.readDate.set(QStringLiteral("01.02.2024"));
        m.timeActual.set(QStringLiteral("12:00:01"));
        m.timePeak.set(QStringLiteral("12:00:02"));
        m.timeAverage.set(QStringLiteral("12:00:03"));
        QCOMPARE(MeasurementCaption(QStringLiteral("/data/run 1/a.mes"), m),
                 QStringLiteral("a.mes | 01.02.2024 | Ac: 12:00:01  Av: 12:00:03  Pe: 12:00:02  "));
    }
};

QTEST_GUILESS_MAIN(TestDataFormats)
#include "tst_dataformats.moc"
