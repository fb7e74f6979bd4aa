#include <QTest>
#include <limits>

#include "LinkRig.h"
#include "MeasurementCycle.h"
#include "Rows.h"
#include "TraceBlocks.h"
#include "TraceReader.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
const Message kIgnored{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};

class RecordingCycleView final : public CycleView {
public:
    void SetStatusText(const QString& t) override { status.append(t); }
    void SetAutoMeasurementChecked(bool c) override { autoChecked = c; }
    void RedrawGraph() override { ++redraws; }
    bool ScriptRunning() const override { return running; }
    int ScriptStepIndex() const override { return 3; }
    int DueHour() const override { return 7; }
    int DueMinute() const override { return 5; }
    bool IsScriptStepDue() override { return due; }
    void RunScriptStep() override { ++scriptSteps; }

    QStringList status;
    bool autoChecked = true;
    int redraws = 0;
    bool running = false;
    bool due = false;
    int scriptSteps = 0;
};

// Online and awake; the interface answers each request letter with a whole trace at the current resolution.
struct Rig : LinkRig {
    TraceReader reader{link};
    RecordingCycleView cycleView;
    MeasurementCycle cycle{model, reader, clock, cycleView};

    Rig() {
        model.moduleSleeping = false;
        link.OpenPort();
        view.online = true;
        answerTraces();
    }
    void answerTraces(int salt = 0) {
        port.responder = [this, salt](char c, int) -> QByteArray {
            const int blocks = 40 / model.settings.resolution;
            if (c == 'a') return TraceBytes('A', blocks, salt);
            if (c == 's') return TraceBytes('S', blocks, salt + 1);
            if (c == 'm') return TraceBytes('M', blocks, salt + 2);
            return {};
        };
    }
    // Ticks until the first byte is sent; returns the number of ticks.
    int ticksUntilSent() {
        for (int i = 1; i <= 2000; ++i) {
            cycle.Tick();
            if (!port.written.isEmpty()) return i;
        }
        return -1;
    }
};

}  // namespace

class TestTrace : public QObject {
    Q_OBJECT
private slots:
    void leadingNoiseAndHeaderLettersInData() {
        Rig r;
        QByteArray trace = TraceBytes('A', 5);
        trace[10] = 'A';  // a header letter among the levels is a level
        r.port.responder = [&](char c, int) {
            return c == 'a' ? QByteArray("\x01zz?\x00") + trace : QByteArray();
        };
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.traceActual[8], std::int16_t{'A'});
        QCOMPARE(r.model.traceActual[499], std::int16_t{TraceLevel(499)});
        QCOMPARE(r.model.invalidTransferCount, 0);
        QCOMPARE(r.view.redraws, 1);
    }

    // The blocks before the skipped one are kept and counted as a transfer not valid, with the port left
    // open: the fault matrix's test. Here what the user sees, the count held at its largest value, and what
    // comes after.
    void skippedBlockNumberIsNotValid() {
        Rig r;
        r.model.invalidTransferCount = 32767;
        r.port.responder = [](char c, int) {
            return c == 'a' ? TraceBlock('A', 0) + TraceBlock('A', 2) + TraceBlock('A', 3) : QByteArray();
        };
        const double t0 = r.clock.seconds();
        r.reader.ReadActualTrace();
        QCOMPARE(r.view.information, QStringLiteral("Transmission error - data not valid"));
        QCOMPARE(r.model.invalidTransferCount, std::int16_t(32767));
        QCOMPARE(r.view.redraws, 0);
        // The line is drained for at least one reply timeout.
        QVERIFY(r.clock.seconds() - t0 >= 0.5);
        // The next read closes the information window and starts clean.
        r.answerTraces();
        r.reader.ReadActualTrace();
        QVERIFY(r.view.information.isEmpty());
        QCOMPARE(r.model.traceActual[100], std::int16_t{TraceLevel(100)});
    }

    void noAnswerFailsAfterFourRequests() {
        Rig r;
        r.port.responder = [](char, int) { return QByteArray(); };
        r.reader.ReadAverageTrace();
        QCOMPARE(r.port.written, QByteArray("mmmm"));
        QCOMPARE(r.dialogs.messages, QList<Message>{kIgnored});
        QVERIFY(!r.model.averageBusy);
        r.reader.ReadAverageTrace();
        QCOMPARE(r.port.written, QByteArray("mmmm"));
    }

    void busyReturnsAtOnce() {
        Rig r;
        r.model.actualBusy = true;
        r.reader.ReadActualTrace();
        QVERIFY(r.port.written.isEmpty());
    }

    // A read stamps its trace with the time and the date of its request, unless the module sleeps.
    void readTimeOnlyWhileAwake() {
        Rig r;
        r.model.moduleSleeping = true;
        r.model.readDate.set(QStringLiteral("old"));
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.timeActual.rightTrimmed(), QStringLiteral("--:--:--"));
        QCOMPARE(r.model.readDate.rightTrimmed(), QStringLiteral("old"));
        QCOMPARE(r.view.redraws, 1);
        r.model.moduleSleeping = false;
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.timeActual.rightTrimmed(), QStringLiteral("10:00:00"));
        QCOMPARE(r.model.readDate.rightTrimmed(), QStringLiteral("06.12.2026"));
    }

    // A sloped curve, 0 dB at 0 MHz to 20 dB at 1000 MHz: each point of the sweep gets the correction of its
    // own frequency, from the left edge of the axis in steps of one point's width, up to the walked end
    // point.
    void correctionFollowsTheFrequencyOfEachPoint_data() {
        QTest::addColumn<float>("centre");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("level");
        Row("200 MHz, 4 dB, rounded down", 500.0f, 8, 100, 12);
        Row("right edge, 1000 MHz", 500.0f, 8, 500, 63);
        Row("past the walked end", 500.0f, 8, 501, 0);
        Row("4000 points, 500 MHz", 500.0f, 1, 2000, 31);
        Row("left edge at 100 MHz", 600.0f, 8, 0, 6);
        Row("centre 600, 1000 MHz", 600.0f, 8, 450, 63);
        // A damaged curve whose offset is not a number leaves the level at 0 rather than garbage.
        Row("offset not a number", -1.0f, 8, 250, 0);
    }
    void correctionFollowsTheFrequencyOfEachPoint() {
        QFETCH(float, centre);
        QFETCH(int, resolution);
        QFETCH(int, index);
        MeasurementModel m;
        m.settings.calibrationOn = true;
        m.settings.centerFreq = centre < 0 ? 500.0f : centre;
        m.settings.resolution = static_cast<std::int16_t>(resolution);
        m.calibrationCurve.pointCount = 2;
        m.calibrationCurve.freqMHz[1] = 1000.0f;
        m.calibrationCurve.offsetDb[1] = centre < 0 ? std::numeric_limits<float>::quiet_NaN() : 20.0f;
        TraceArray t{};
        TraceReader::ApplyCorrection(m, t);
        QTEST(int(t[index]), "level");
    }

    // Bytes left on the line after the last block of one trace are no part of the next.
    void strayBytesAfterATraceDoNotSpoilTheNext() {
        Rig r;
        r.port.responder = [](char c, int n) {
            return c == 'a' ? TraceBytes('A', 5, n) + QByteArray(n == 1 ? "A\x07xyz" : "") : QByteArray();
        };
        r.reader.ReadActualTrace();
        r.reader.ReadActualTrace();
        QCOMPARE(r.model.invalidTransferCount, std::int16_t(0));
        QVERIFY(r.view.information.isEmpty());
        QCOMPARE(r.view.redraws, 2);
        QCOMPARE(r.model.traceActual[300], std::int16_t{TraceLevel(300, 2)});
    }

    void referenceCalculation_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("selector");
        QTest::addColumn<int>("trace");
        QTest::addColumn<int>("ref");
        QTest::addColumn<int>("expected");
        Row("ref - act", 0, 0, 50, 30, -20);
        Row("act - ref", 1, 0, 50, 30, 20);
        Row("act + ref", 2, 0, 50, 30, 80);
        Row("act > ref, below", 3, 0, 29, 30, 0);
        Row("act > ref, equal", 3, 0, 30, 30, 30);
        Row("selector off", 0, 3, 50, 30, 50);
        Row("unknown mode", 7, 0, 50, 30, 50);
        // Each selector picks its own curve: actual 30, average 20, peak 10.
        Row("average reference", 1, 1, 50, 20, 30);
        Row("peak reference", 1, 2, 50, 10, 40);
        Row("sum saturates", 2, 0, 30000, 30000, 32767);
        Row("difference saturates", 0, 0, 30000, -30000, -32768);
    }
    void referenceCalculation() {
        QFETCH(int, mode);
        QFETCH(int, selector);
        QFETCH(int, trace);
        QFETCH(int, ref);
        MeasurementModel m;
        m.refMode = static_cast<std::int16_t>(mode);
        TraceArray t{};
        t.fill(static_cast<std::int16_t>(trace));
        m.refActual.fill(30);
        m.refAverage.fill(20);
        m.refPeak.fill(10);
        (selector == 1 ? m.refAverage : selector == 2 ? m.refPeak : m.refActual).fill(std::int16_t(ref));
        TraceReader::ApplyReferenceCalc(m, t, selector);
        QTEST(int(t[0]), "expected");
        QTEST(int(t[500]), "expected");
        QCOMPARE(t[501], std::int16_t(trace));  // only the sweep of resolution 8 is walked
    }

    void intervalsCountTicksInSinglePrecision_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ticks");
        QTest::newRow("4 s") << 4 << 41;
        QTest::newRow("1 s") << 1 << 10;
        QTest::newRow("0 s reads on every tick") << 0 << 1;
    }
    void intervalsCountTicksInSinglePrecision() {
        QFETCH(int, interval);
        Rig r;
        r.model.settings.actualInterval = interval;
        r.model.settings.peakInterval = r.model.settings.averageInterval = 100000;
        QTEST(r.ticksUntilSent(), "ticks");
        QCOMPARE(r.port.written, QByteArray("a"));
        QCOMPARE(r.model.actualElapsed, 0.0f);
    }

    void fastModeReadsAllInOrder() {
        Rig r;
        r.model.fastMode = true;
        r.model.actualElapsed = 1.0f;
        r.cycle.Tick();
        QCOMPARE(r.port.written, QByteArray("asm"));
        QCOMPARE((QList<float>{r.model.actualElapsed, r.model.peakElapsed, r.model.averageElapsed}),
                 QList<float>(3, 0.0f));
        QCOMPARE(r.view.redraws, 3);
    }

    void hiddenTraceStillResetsItsCounter() {
        Rig r;
        r.model.settings.showPeak = false;
        r.model.settings.actualInterval = r.model.settings.averageInterval = 100000;
        r.model.settings.peakInterval = 1;
        for (int i = 0; i < 10; ++i) r.cycle.Tick();
        QVERIFY(r.port.written.isEmpty());
        QCOMPARE(r.model.peakElapsed, 0.0f);
    }

    void offDoesNothing() {
        Rig r;
        r.model.autoMeasurement = false;
        r.model.fastMode = true;
        r.cycle.Tick();
        QVERIFY(r.port.written.isEmpty());
        QVERIFY(r.cycleView.status.isEmpty());
        QCOMPARE(r.model.actualElapsed, 0.0f);
    }

    void redrawPendingAndScriptStep() {
        Rig r;
        r.link.ClosePort();
        r.model.redrawPending = true;
        r.cycleView.due = true;
        r.cycle.Tick();
        QCOMPARE(r.cycleView.redraws, 1);
        QCOMPARE(r.cycleView.scriptSteps, 1);
    }

    void statusText() {
        Rig r;
        QCOMPARE(r.cycle.StatusText(), QStringLiteral(" Time: 10:00:00"));
        r.cycleView.running = true;
        QCOMPARE(r.cycle.StatusText(), QStringLiteral(" Time: 10:00:00    Script: 3 -  07:05"));
    }
};

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"
