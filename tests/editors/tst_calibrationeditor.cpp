// The calibration curve's rules: interpolation, sort, list lines, entries, removal and the added curve.
#include <QTemporaryDir>
#include <QtTest>

#include "Calibration.h"
#include "CalibrationEditor.h"
#include "CurvePoints.h"
#include "FileBytes.h"
#include "Rows.h"
#include "SampleFiles.h"
#include "ScriptedDialogs.h"

using namespace tk;
using namespace tk::test;

namespace {

const Points TWO{{100.0f, 2.0f}, {200.0f, 4.0f}};

}  // namespace

class TestCalibrationEditor : public QObject {
    Q_OBJECT
private slots:
    void interpolate_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<float>("f");
        QTest::addColumn<float>("expected");
        QTest::newRow("between points") << TWO << 150.0f << 3.0f;
        QTest::newRow("on a point") << TWO << 100.0f << 2.0f;
        QTest::newRow("on the last point") << TWO << 200.0f << 4.0f;
        QTest::newRow("before the first: from 0 MHz, 0 dB") << TWO << 50.0f << 1.0f;
        QTest::newRow("after the last") << TWO << 250.0f << 0.0f;
        QTest::newRow("negative frequency") << TWO << -1.0f << 0.0f;
        QTest::newRow("one point, below it") << Points{{400.0f, -8.0f}} << 100.0f << -2.0f;
        QTest::newRow("falling slope") << Points{{0.0f, 10.0f}, {1000.0f, 0.0f}} << 250.0f << 7.5f;
    }
    void interpolate() {
        QFETCH(Points, points);
        QFETCH(float, f);
        QFETCH(float, expected);
        MeasurementModel model;
        model.calibrationCurve = CurveOf(points);
        QCOMPARE(InterpolateCurve(model.calibrationCurve, f), expected);
        QCOMPARE(CorrectionAt(model, f), expected);
        QCOMPARE(model.correctionValue, expected);
    }

    void sort_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<Points>("sorted");
        QTest::newRow("equal frequencies keep the last")
            << Points{{300.0f, 1.0f}, {100.0f, 2.0f}, {300.0f, 5.0f}}
            << Points{{100.0f, 2.0f}, {300.0f, 5.0f}};
        QTest::newRow("all at 0 MHz") << Points{{0.0f, 1.0f}, {0.0f, 2.0f}} << Points{{0.0f, 2.0f}};
        QTest::newRow("negative frequencies")
            << Points{{-5.0f, 1.0f}, {-20.0f, 2.0f}} << Points{{-20.0f, 2.0f}, {-5.0f, 1.0f}};
    }
    void sort() {
        QFETCH(Points, points);
        QFETCH(Points, sorted);
        CalibrationCurve c = CurveOf(points);
        SortCurve(c);
        QCOMPARE(PointsOf(c), sorted);
    }

    void listLines_data() {
        QTest::addColumn<float>("freq");
        QTest::addColumn<float>("offset");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("printed");
        Row("small", 100.0f, 2.0f, "0100.000 MHz\t02.0 dB", "0100.000 MHz       02.0 dB");
        Row("negative", 1999.5f, -12.25f, "1999.500 MHz\t-12.2 dB", "1999.500 MHz       -12.2 dB");
    }
    void listLines() {
        QFETCH(float, freq);
        QFETCH(float, offset);
        QFETCH(QString, line);
        QFETCH(QString, printed);
        QCOMPARE(CalibrationListLine(freq, offset), line);
        QCOMPARE(CalibrationPrintLines(CurveOf({{freq, offset}})), QStringList{printed});
    }

    // What a typed point stores (nothing unless "stored") and the fields show afterwards.
    void entry_data() {
        QTest::addColumn<int>("pointsBefore");
        QTest::addColumn<QString>("freq");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Points>("stored");
        const int stored = static_cast<int>(EntryResult::Stored);
        const int nan = static_cast<int>(EntryResult::NotANumber);
        Row("blanks and exponent", 2, " 1.5e2 ", "-.5", stored, "150|-0.5", Points{{150.0f, -0.5f}});
        Row("limited", 0, "2500", "-150", stored, "2000|-100", Points{{2000.0f, -100.0f}});
        Row("limited below", 0, "-3", "150", stored, "0|100", Points{{0.0f, 100.0f}});
        Row("digits that read back", 0, "0.1", "1.23456789", stored, "0.1|1.2345679",
            Points{{0.1f, 1.2345679f}});
        Row("text", 0, "abc", "1", nan, "abc|1", Points{});
        Row("number with text behind", 0, "100", "3dB", nan, "100|3dB", Points{});
        Row("101 points take no more", 101, "5", "6", static_cast<int>(EntryResult::Full), "5|6", Points{});
    }
    void entry() {
        QFETCH(int, pointsBefore);
        QFETCH(QString, freq);
        QFETCH(QString, offset);
        QFETCH(Points, stored);
        Points before;
        for (int i = 0; i < pointsBefore; ++i) before.append({static_cast<float>(i), 1.0f});
        CalibrationCurve c = CurveOf(before);
        c.freqMHz[101] = 777.0f;  // beyond the curve: must stay untouched
        QTEST(static_cast<int>(EnterCalibrationPoint(c, freq, offset)), "result");
        QTEST(freq + u'|' + offset, "shown");
        QCOMPARE(PointsOf(c), before + stored);
        QCOMPARE(c.freqMHz[101], 777.0f);
    }

    // A point by its index: its texts for the fields, its removal; none outside the curve.
    void pointsByIndex() {
        CalibrationCurve c = CurveOf({{0.1f, -7.25f}, {2.0f, 2.0f}, {3.0f, 3.0f}});
        QCOMPARE(CalibrationPointTexts(c, 0), std::optional(std::pair{QString("0.1"), QString("-7.25")}));
        for (const int outside : {-1, 3}) {
            QVERIFY(!CalibrationPointTexts(c, outside));
            QVERIFY(!RemoveCalibrationPoint(c, outside));
        }
        QVERIFY(RemoveCalibrationPoint(c, 1));
        QCOMPARE(PointsOf(c), (Points{{0.1f, -7.25f}, {3.0f, 3.0f}}));
        QCOMPARE(CalibrationListLines(c).size(), 2);
        // Every point removed and a new one entered: the removed points do not come back.
        QVERIFY(RemoveCalibrationPoint(c, 1) && RemoveCalibrationPoint(c, 0));
        QString f = QStringLiteral("20"), o = QStringLiteral("2");
        QCOMPARE(EnterCalibrationPoint(c, f, o), EntryResult::Stored);
        QCOMPARE(PointsOf(c), (Points{{20.0f, 2.0f}}));
    }

    // The added curve is interpolated at the curve's own points.
    void addCurve() {
        CalibrationCurve c = CurveOf({{100.0f, 1.0f}, {200.0f, 1.0f}, {300.0f, 1.0f}});
        AddCurve(c, CurveOf({{100.0f, 2.0f}, {300.0f, 6.0f}}));
        QCOMPARE(PointsOf(c), (Points{{100.0f, 3.0f}, {200.0f, 5.0f}, {300.0f, 7.0f}}));
    }

    // "&ADD Curve": the offset at 100 MHz is 1 dB before, 3 dB with the added curve's 2 dB.
    void addCurveFromFile_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<QByteArray>("file");  // empty: the dialog is cancelled
        QTest::addColumn<float>("firstOffset");
        QTest::addColumn<int>("messages");
        const QByteArray good = "eic1 " + I16(1) + F32(100.0f) + F32(2.0f);
        Row("added", 1, good, 3.0f, 0);
        Row("empty curve: no dialog", 0, good, 1.0f, 0);
        Row("cancelled", 1, QByteArray(), 1.0f, 0);
        Row("short file", 1, good.left(good.size() - 1), 1.0f, 1);
    }
    void addCurveFromFile() {
        QFETCH(int, points);
        QFETCH(QByteArray, file);
        QFETCH(float, firstOffset);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("add.eic"));
        QVERIFY(WriteBytes(path, file));
        MeasurementModel model;
        model.calibrationCurve = CurveOf({{100.0f, 1.0f}});
        model.calibrationCurve.pointCount = static_cast<std::int16_t>(points);
        ScriptedDialogs d;
        d.openAnswers.enqueue(file.isEmpty() ? std::nullopt : std::optional(path));
        QCOMPARE(AddCurveFromFile(model, d), firstOffset != 1.0f);
        QTEST(int(d.messages.size()), "messages");
        for (const auto& m : d.messages)
            QCOMPARE(m, (ScriptedDialogs::Message{"Cannot open file", "File handling"}));
        QCOMPARE(d.requests.size(), points);  // an empty curve asks for no file
        for (const auto& r : d.requests) QVERIFY(r.title == u"Open" && r.mustExist);
        QCOMPARE(model.calibrationCurve.offsetDb[0], firstOffset);
        QCOMPARE(model.fileNames.calibration, file.isEmpty() || !points ? QStringLiteral("*.eic") : path);
    }
};

QTEST_GUILESS_MAIN(TestCalibrationEditor)
#include "tst_calibrationeditor.moc"
