// Every fault the emulated interface can show, one row each, against the connection, the fast-mode tick that
// reads all three traces and the recovery a user would make: the message and its title, the port state, how
// much of each trace the tick stored, and that once the fault is put right a search and a new connection
// read complete traces again.

#include <QTest>

#include "AutoConfigure.h"
#include "EmulatorLinkRig.h"
#include "MeasurementCycle.h"
#include "Rows.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
using Messages = QList<Message>;
const Message IGNORED{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};
const Message NO_ACCESS{QStringLiteral("No access to analyzer"), QStringLiteral("Configuration")};
constexpr std::int16_t UNTOUCHED = -1;  // never a level on the wire

class QuietCycleView final : public CycleView {
    void SetStatusText(const QString&) override {}
    void SetAutoMeasurementChecked(bool) override {}
    void RedrawGraph() override {}
};

struct Rig : EmulatorLinkRig {
    explicit Rig(const QStringList& args) : EmulatorLinkRig(args) { model.fastMode = true; }

    // One fast-mode tick; how many points of each trace it stored, as "actual/peak/average".
    QString tick() {
        for (TraceArray* t : {&model.traceActual, &model.tracePeak, &model.traceAverage}) t->fill(UNTOUCHED);
        cycle.Tick();
        QStringList stored;
        for (const TraceArray* t : {&model.traceActual, &model.tracePeak, &model.traceAverage})
            stored << QString::number(TRACE_SIZE - std::count(t->begin(), t->end(), UNTOUCHED));
        return stored.join(u'/');
    }

    TraceReader reader{link};
    QuietCycleView cycleView;
    MeasurementCycle cycle{model, reader, clock, cycleView};
};

}  // namespace

class TestFaultMatrix : public QObject {
    Q_OBJECT
private slots:
    void faultMatrix_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("stored");  // points of the actual, peak and average trace the tick stored
        QTest::addColumn<int>("invalid");     // transfers refused as not valid
        QTest::addColumn<int>("iSent");       // transmissions of "i" while connecting
        const Messages none, once{IGNORED}, failed{IGNORED, IGNORED, NO_ACCESS};
        const QString all = QStringLiteral("500/500/500"), nothing = QStringLiteral("0/0/0");
        const auto fault = [](const char* f) { return QStringList{QStringLiteral("--emu-fault=") + f}; };
        Row("well behaved", QStringList(), none, true, all, 0, 1);
        Row("no answer", fault("silent"), failed, false, nothing, 0, 8);
        // The second attempt's first "i" only ends the wait for the second letter of "bv".
        Row("no answer to v", fault("silent:v"), failed, false, nothing, 0, 3);
        Row("no answer to a", fault("silent:a"), once, false, nothing, 0, 1);
        Row("wrong ack of i", fault("wrong-ack:i"), failed, false, nothing, 0, 2);
        Row("wrong ack of r", fault("wrong-ack:r"), once, false, nothing, 0, 1);
        Row("answer from 3rd", fault("answer-from:3"), none, true, all, 0, 3);
        // The fourth transmission is heard, but too late: its echo answers the second attempt's first "i".
        Row("answer from 4th", fault("answer-from:4"), failed, false, nothing, 0, 5);
        Row("skipped block", fault("skip-block"), none, true, "100/100/100", 3, 1);
        Row("noise first", fault("noise:20"), none, true, all, 0, 1);
        Row("stall", fault("stall:3"), once, false, "300/0/0", 0, 1);
        Row("stall 5 s", fault("stall:3:5000"), none, true, all, 0, 1);
        Row("stall 25 s", fault("stall:3:25000"), once, false, "300/0/0", 0, 1);
        Row("interface at 9600", QStringList{"--emu-baud=2"}, failed, false, nothing, 0, 8);
        Row("i only at 19200", fault("baud-only:3"), failed, false, nothing, 0, 8);
        Row("absent", fault("disappear"), Messages{NO_ACCESS}, false, nothing, 0, 0);
        // The connection takes 12 bytes; the trace request is the 13th.
        Row("gone at request", fault("disappear:12"), once, false, nothing, 0, 1);
        Row("gone mid-trace", fault("vanish-in-trace:2"), once, false, "200/0/0", 0, 1);
        Row("version without V", fault("wrong-ack:v"), failed, false, nothing, 0, 2);
        Row("wrong digit", fault("wrong-digit"), failed, false, nothing, 0, 2);
        Row("partial last block", fault("partial-block"), once, false, "449/0/0", 0, 1);
    }
    void faultMatrix() {
        QFETCH(QStringList, args);
        QFETCH(bool, open);
        Rig rig(args);
        rig.link.ConnectInterface();
        QTEST(static_cast<int>(rig.port.device().received().count('i')), "iSent");
        QTEST(rig.tick(), "stored");
        QTEST(rig.dialogs.messages, "messages");
        QCOMPARE(rig.port.isOpen(), open);
        QTEST(int(rig.model.invalidTransferCount), "invalid");

        // Put right, the interface is found by the search and the next connection reads whole traces.
        rig.port.clearFaults();
        rig.dialogs.messages.clear();
        QuietSearchView searchView;
        const auto found = AutoConfigure(rig.link, rig.portMap, searchView).Run();
        QVERIFY(found);
        rig.model.settings.portNumber = static_cast<std::int16_t>(found->portNumber);
        rig.model.settings.baudIndex = static_cast<std::int16_t>(found->baudIndex);
        rig.link.ConnectInterface();
        QCOMPARE(rig.tick(), QStringLiteral("500/500/500"));
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(rig.dialogs.messages.first().title, QStringLiteral("Auto config"));
        QVERIFY(rig.port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
