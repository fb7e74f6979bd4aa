#include <QTest>

#include "LinkRig.h"
#include "MeasurementCycle.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

using namespace tk;
using namespace tk::test;

namespace {

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

struct Rig : LinkRig {
    TraceReader reader{link};
    RecordingCycleView cycleView;
    MeasurementCycle cycle{model, reader, clock, cycleView};

    Rig() {
        link.OpenPort();
        port.responder = [](char c, int) -> QByteArray {
            if (c != 'a' && c != 's' && c != 'm') return {};
            QByteArray t;
            for (int n = 0; n < 5; ++n) {
                t.append(static_cast<char>(c - 32));
                t.append(static_cast<char>(n));
                t.append(QByteArray(100, '\x20'));
            }
            return t;
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

class TestCycle : public QObject {
    Q_OBJECT
private slots:
    void intervalsCountTicksInSinglePrecision_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ticks");
        QTest::newRow("4 s") << 4 << 41;
        QTest::newRow("60 s") << 60 << 601;
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

    void singleSwitchesAutomaticOff() {
        Rig r;
        r.model.settings.showAverage = false;
        r.cycle.Single();
        QVERIFY(!r.model.autoMeasurement);
        QVERIFY(!r.cycleView.autoChecked);
        QCOMPARE(r.port.written, QByteArray("as"));
        QCOMPARE(r.cycleView.status.size(), 1);
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

QTEST_GUILESS_MAIN(TestCycle)
#include "tst_cycle.moc"
