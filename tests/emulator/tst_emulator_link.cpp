// The link layer talking to the emulated interface through the in-process port, in simulated time: the
// connection at a high rate, and the messages and port state each fault leads to.

#include <QTest>

#include "AnalyzerLink.h"
#include "EmulatorPort.h"
#include "FakeClock.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"
#include "StartUp.h"
#include "TraceReader.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
using Messages = QList<Message>;
const Message IGNORED{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};
const Message NO_ACCESS{QStringLiteral("No access to analyzer"), QStringLiteral("Configuration")};

EmulatorOptions Options(const QStringList& args) {
    QString error;
    const auto options = ParseEmulatorOptions(args, &error);
    if (!options) qFatal("bad emulator options in test: %s", qPrintable(error));
    return *options;
}

struct Rig {
    explicit Rig(const QStringList& args = {}) : port(clock, Options(args)) {}

    FakeClock clock;
    EmulatorPort port;
    ScriptedDialogs dialogs;
    RecordingLinkView view;
    PortMap portMap;
    MeasurementModel model;
    AnalyzerLink link{model, port, clock, dialogs, view, portMap};
};

}  // namespace

class TestEmulatorLink : public QObject {
    Q_OBJECT
private slots:
    void connectsAt115200() {
        Rig rig;
        rig.model.settings.baudIndex = 5;
        rig.model.settings.resolution = 1;
        rig.link.ConnectInterface();

        QCOMPARE(rig.dialogs.messages, Messages());
        QVERIFY(rig.port.isOpen());
        QVERIFY(rig.view.online);
        QCOMPARE(rig.view.caption, QString::fromLatin1(MAIN_CAPTION) + QStringLiteral("V2.31"));
        QCOMPARE(rig.port.device().received(), QByteArray("i5bvbobcbobr"));
        QCOMPARE(rig.port.lineSettings(), QStringLiteral("115200,N,8,1"));
        QCOMPARE(rig.port.device().baudAt(rig.clock.seconds()), 115200);
        const auto& acquisition = rig.port.device().acquisition();
        QCOMPARE(acquisition.resolution(), 1);
        QVERIFY(!acquisition.sleeping());
        QVERIFY(acquisition.calculating());
    }

    // Connects, then reads the actual trace if the port is still open.
    void faultsLeadToTheirMessages_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("invalid");  // the trace was refused as not valid
        QTest::addColumn<int>("iSent");     // transmissions of "i"
        const Messages none, once{IGNORED}, failed{IGNORED, IGNORED, NO_ACCESS};
        QTest::newRow("well behaved") << "" << none << true << false << 1;
        QTest::newRow("silent") << "--emu-fault=silent" << failed << false << false << 8;
        // The second attempt's first "i" only ends the wait for the second letter of "bv".
        QTest::newRow("silent:v") << "--emu-fault=silent:v" << failed << false << false << 3;
        QTest::newRow("silent:a") << "--emu-fault=silent:a" << once << false << false << 1;
        QTest::newRow("wrong-ack:i") << "--emu-fault=wrong-ack:i" << failed << false << false << 2;
        QTest::newRow("wrong-ack:v") << "--emu-fault=wrong-ack:v" << failed << false << false << 2;
        QTest::newRow("wrong-ack:r") << "--emu-fault=wrong-ack:r" << once << false << false << 1;
        QTest::newRow("answer-from:3") << "--emu-fault=answer-from:3" << none << true << false << 3;
        QTest::newRow("answer-from:5") << "--emu-fault=answer-from:5" << failed << false << false << 5;
        QTest::newRow("baud-only:3") << "--emu-fault=baud-only:3" << failed << false << false << 8;
        QTest::newRow("interface at 9600") << "--emu-baud=2" << failed << false << false << 8;
        QTest::newRow("disappear") << "--emu-fault=disappear" << Messages{NO_ACCESS} << false << false << 0;
        // The connection takes 12 bytes; the trace request is the 13th.
        QTest::newRow("disappear:12") << "--emu-fault=disappear:12" << once << false << false << 1;
        QTest::newRow("skip-block") << "--emu-fault=skip-block" << none << true << true << 1;
        QTest::newRow("noise:20") << "--emu-fault=noise:20" << none << true << false << 1;
        QTest::newRow("stall:3") << "--emu-fault=stall:3" << once << false << false << 1;
        QTest::newRow("stall:3:5000") << "--emu-fault=stall:3:5000" << none << true << false << 1;
        QTest::newRow("stall:3:25000") << "--emu-fault=stall:3:25000" << once << false << false << 1;
    }
    void faultsLeadToTheirMessages() {
        QFETCH(QString, args);
        QFETCH(bool, open);
        QFETCH(bool, invalid);
        Rig rig(args.isEmpty() ? QStringList() : QStringList{args});
        rig.link.ConnectInterface();
        if (rig.port.isOpen()) TraceReader(rig.link).ReadActualTrace();
        QTEST(rig.dialogs.messages, "messages");
        QCOMPARE(rig.port.isOpen(), open);
        QCOMPARE(rig.view.online, open);
        QTEST(static_cast<int>(rig.port.device().received().count('i')), "iSent");
        QCOMPARE(rig.model.invalidTransferCount, invalid ? 1 : 0);
        QCOMPARE(rig.view.information,
                 invalid ? QStringLiteral("Transmission error - data not valid") : QString());
        QCOMPARE(rig.view.redraws, open && !invalid ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestEmulatorLink)
#include "tst_emulator_link.moc"
