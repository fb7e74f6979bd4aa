#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "AnalyzerLink.h"
#include "LinkRig.h"
#include "ModuleCommands.h"
#include "ParameterFile.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"
#include "StartUp.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
const Message kIgnored{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};
const Message kNoAccess{QStringLiteral("No access to analyzer"), QStringLiteral("Configuration")};

struct Rig : LinkRig {
    void openPort() {
        QVERIFY(link.OpenPort());
        view.online = true;
    }
};

}  // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void neverAnsweringInterface() {
        Rig r;
        r.openPort();
        // Whatever runs while the message is shown finds the link already closed.
        bool openDuringMessage = true;
        r.dialogs.duringMessage = [&] {
            openDuringMessage = r.port.isOpen();
            r.link.SendCommand("bn");
        };
        const double t0 = r.clock.seconds();
        r.link.SendCommand("bo");
        QVERIFY(!openDuringMessage);
        QCOMPARE(r.port.written, QByteArray("bbbb"));
        QCOMPARE(r.dialogs.messages, QList<Message>{kIgnored});
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.view.online);
        // Three full reply timeouts of about a second each, then the fourth transmission fails at once.
        QVERIFY(r.clock.seconds() - t0 > 2.5 && r.clock.seconds() - t0 < 3.6);
        r.link.SendCommand("bo");
        r.link.SendBaudCommand('2');
        r.link.ReadVersion();
        r.link.SetLinkBaud();
        QCOMPARE(r.port.written, QByteArray("bbbb"));
        QCOMPARE(r.dialogs.messages.size(), 1);
    }

    void retransmissionsWithinLimit_data() {
        QTest::addColumn<int>("answerFrom");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("fails");
        QTest::newRow("first") << 1 << QByteArray("bo") << false;
        QTest::newRow("third") << 3 << QByteArray("bbbo") << false;
        QTest::newRow("fourth") << 4 << QByteArray("bbbbo") << false;
        QTest::newRow("fifth is too late") << 5 << QByteArray("bbbb") << true;
    }
    void retransmissionsWithinLimit() {
        QFETCH(int, answerFrom);
        QFETCH(QByteArray, written);
        QFETCH(bool, fails);
        Rig r;
        r.openPort();
        r.port.responder = [answerFrom](char c, int n) {
            if (c == 'b' && n < answerFrom) return QByteArray();
            return GoodInterface(c, n);
        };
        r.link.SendCommand("bo");
        QCOMPARE(r.port.written, written);
        QCOMPARE(r.port.isOpen(), !fails);
        QCOMPARE(r.dialogs.messages.size(), fails ? 1 : 0);
    }

    // The receive buffer is cleared before each transmission of the first character and once before the
    // second, whose retransmissions keep what has arrived.
    void buffersClearedBeforeTransmissions() {
        Rig r;
        r.openPort();
        QByteArray seen;  // each transmitted character with the count of clears before it
        r.port.responder = [&](char c, int n) {
            seen += c + QByteArray::number(r.port.clearCount);
            return (c == 'b' && n < 2) || (c == 'o' && n < 3) ? QByteArray() : GoodInterface(c, n);
        };
        r.link.SendCommand("bo");
        QCOMPARE(seen, QByteArray("b1b2o3o3o3"));
        QVERIFY(r.port.isOpen());
    }

    void waitStartIsRoundedToWholeSecond_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("gap");
        QTest::newRow("rounded down") << 100.3 << 0.7;
        QTest::newRow("rounded up") << 100.7 << 1.3;
        QTest::newRow("half to even, down") << 100.5 << 0.5;
        QTest::newRow("half to even, up") << 101.5 << 1.5;
    }
    void waitStartIsRoundedToWholeSecond() {
        QFETCH(double, start);
        QFETCH(double, gap);
        Rig r;
        r.openPort();
        r.clock.advance(start - r.clock.seconds());
        r.link.SendCommand("bo");
        QCOMPARE(r.port.writeTimes.size(), 4);
        // The retransmission follows the first poll that finds elapsed strictly above the timeout.
        const double measured = r.port.writeTimes[1] - r.port.writeTimes[0];
        QVERIFY2(measured > gap && measured <= gap + 0.011, qPrintable(QString::number(measured)));
    }

    void wrongAcknowledgement_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("firstAck");
        QTest::addColumn<QByteArray>("secondAck");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("second answered in lower case")
            << QByteArray("bo") << QByteArray("B") << QByteArray("o") << QByteArray("bo");
        QTest::newRow("first answered wrongly")
            << QByteArray("bo") << QByteArray("X") << QByteArray("O") << QByteArray("b");
    }
    void wrongAcknowledgement() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, firstAck);
        QFETCH(QByteArray, secondAck);
        QFETCH(QByteArray, written);
        Rig r;
        r.openPort();
        r.port.responder = [&](char c, int) { return c == command[0] ? firstAck : secondAck; };
        r.link.SendCommand(command);
        QCOMPARE(r.port.written, written);
        QCOMPARE(r.dialogs.messages, QList<Message>{kIgnored});
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.view.online);
    }

    void baudDigitEchoIsLiteral_data() {
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<bool>("ok");
        QTest::newRow("digit echoed") << QByteArray("I3") << true;
        QTest::newRow("digit minus 32") << QByteArray("I\x13") << false;
        QTest::newRow("lower-case i") << QByteArray("i3") << false;
    }
    void baudDigitEchoIsLiteral() {
        QFETCH(QByteArray, answers);
        QFETCH(bool, ok);
        Rig r;
        r.openPort();
        r.port.responder = [&](char c, int) { return QByteArray(1, c == 'i' ? answers[0] : answers[1]); };
        r.link.SendBaudCommand('3');
        QCOMPARE(r.port.isOpen(), ok);
        QCOMPARE(r.dialogs.messages.isEmpty(), ok);
    }

    void readVersion_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("version");
        QTest::newRow("V in the middle") << VersionBlock(40, "V1.23") << "V1.23";
        QTest::newRow("first V wins") << VersionBlock(10, "Vabcd").replace(50, 5, "V9.99") << "Vabcd";
        QTest::newRow("exactly 89 bytes") << VersionBlock(0, "V0.01", 89) << "V0.01";
        QTest::newRow("V beyond the first 80 bytes") << VersionBlock(85, "V1.00") << "";
        QTest::newRow("no V") << QByteArray(100, 'x') << "";
    }
    void readVersion() {
        QFETCH(QByteArray, block);
        QFETCH(QString, version);
        Rig r;
        r.openPort();
        r.port.responder = [&](char c, int n) { return c == 'v' ? block : GoodInterface(c, n); };
        r.link.ReadVersion();
        QCOMPARE(r.port.written, QByteArray("bv"));
        if (version.isEmpty()) {
            QCOMPARE(r.dialogs.messages, QList<Message>{kIgnored});
            QVERIFY(!r.port.isOpen());
        } else {
            QVERIFY(r.dialogs.messages.isEmpty());
            QCOMPARE(r.model.interfaceVersion, version);
            QCOMPARE(r.view.caption, QStringLiteral("TK820-2E V2-68     Interface: ") + version);
        }
    }

    void connectSendsTheFullSequence_data() {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("500 points") << 8 << QByteArray("i2bvbobfbobr");
        QTest::newRow("4000 points") << 1 << QByteArray("i2bvbobcbobr");
        QTest::newRow("unknown resolution sends none") << 3 << QByteArray("i2bvbobobr");
    }
    void connectSendsTheFullSequence() {
        QFETCH(int, resolution);
        QFETCH(QByteArray, written);
        Rig r;
        r.port.responder = GoodInterface;
        r.model.settings.baudIndex = 2;
        r.model.settings.resolution = static_cast<std::int16_t>(resolution);
        r.model.moduleCalculating = false;
        r.view.calculating = false;
        r.model.traceActual[10] = 99;
        r.portMap.set(2, QStringLiteral("/dev/ttyUSB7"));
        const double t0 = r.clock.seconds();
        r.link.ConnectInterface();
        QCOMPARE(r.port.openedDevices, QStringList{QStringLiteral("/dev/ttyUSB7")});
        QCOMPARE(r.port.written, written);
        QCOMPARE(r.port.lineSettings(), QStringLiteral("9600,N,8,1"));
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(r.view.online);
        QVERIFY(!r.view.sleeping);
        QCOMPARE(r.view.erased, 1);
        QCOMPARE(r.model.traceActual[10], 0);
        QVERIFY(r.model.moduleCalculating && r.view.calculating);  // the check mark follows the model
        QVERIFY(!r.model.moduleSleeping);
        QVERIFY(r.view.caption.endsWith(QStringLiteral("V2.31")));
        // The settle delay of 2 s passed between the version query and "bo".
        QVERIFY(r.clock.seconds() - t0 >= 1.5);
    }

    void connectRepeatsOnceThenGivesUp() {
        Rig r;
        r.model.settings.baudIndex = 5;
        r.link.ConnectInterface();
        QCOMPARE(r.port.openedDevices.size(), 2);
        QCOMPARE(r.port.written, QByteArray("iiiiiiii"));
        QCOMPARE(r.dialogs.messages, (QList<Message>{kIgnored, kIgnored, kNoAccess}));
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.view.online);
        QCOMPARE(r.view.erased, 0);
        // The port was switched to the new rate although the interface never confirmed it.
        QCOMPARE(r.port.lineSettings(), QStringLiteral("115200,N,8,1"));
    }

    void connectWhenPortCannotOpen() {
        Rig r;
        r.port.openFails = true;
        r.link.ConnectInterface();
        QCOMPARE(r.dialogs.messages, QList<Message>{kNoAccess});
        QVERIFY(r.port.written.isEmpty());
        QVERIFY(!r.view.online);
    }

    void pauseWaitsFromRoundedStart_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::newRow("rounded down") << 200.2 << 202.0;
        QTest::newRow("rounded up") << 200.7 << 203.0;
    }
    void pauseWaitsFromRoundedStart() {
        QFETCH(double, start);
        QFETCH(double, end);
        Rig r;
        r.clock.advance(start - r.clock.seconds());
        r.link.Pause();
        QVERIFY(r.clock.seconds() >= end && r.clock.seconds() < end + 0.06);
    }

    void moduleCommands() {
        Rig r;
        ModuleCommands commands(r.link);
        // Sleeping and calculating do nothing while the port is closed.
        commands.ToggleSleeping();
        commands.ToggleCalculating();
        QVERIFY(r.model.moduleSleeping);
        QVERIFY(r.model.moduleCalculating);
        QVERIFY(r.port.written.isEmpty());

        r.port.responder = GoodInterface;
        commands.ToggleOnline(false);
        QVERIFY(r.view.online);
        QVERIFY(!r.model.moduleSleeping);
        QCOMPARE(r.port.written, QByteArray("bo"));
        commands.ToggleSleeping();
        QVERIFY(r.model.moduleSleeping);
        QCOMPARE(r.model.timeActual.rightTrimmed(), r.clock.timeText());
        commands.ToggleSleeping();
        commands.ToggleCalculating();
        commands.ToggleCalculating();
        QCOMPARE(r.port.written, QByteArray("bobpbobnbr"));
        commands.ToggleOnline(true);
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.view.online);
    }

    void moduleOnlineWhenOpenFails() {
        Rig r;
        r.port.openFails = true;
        ModuleCommands commands(r.link);
        commands.ToggleOnline(false);
        QVERIFY(!r.view.online);
        QVERIFY(!r.model.moduleSleeping);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(r.port.written.isEmpty());
    }

    void shutdown_data() {
        QTest::addColumn<bool>("linkOpen");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("link closed") << false << QByteArray();
        QTest::newRow("link open") << true << QByteArray("bfi1bvbobp");
    }
    void shutdown() {
        QFETCH(bool, linkOpen);
        QFETCH(QByteArray, written);
        QTemporaryDir dir;
        Rig r;
        r.port.responder = GoodInterface;
        r.model.settings.baudIndex = 4;
        r.port.setLineSettings(QStringLiteral("38400,N,8,1"));
        if (linkOpen) r.openPort();
        QVERIFY(RunShutdown(r.link, dir.filePath(PARAMETER_FILE_NAME)));
        QCOMPARE(r.port.written, written);
        QCOMPARE(QFileInfo(dir.filePath(PARAMETER_FILE_NAME)).size(), PARAMETER_FILE_SIZE);
        QVERIFY(!r.model.autoMeasurement);
        QCOMPARE(r.model.settings.baudIndex, 1);
        if (linkOpen) QCOMPARE(r.port.lineSettings(), QStringLiteral("2400,N,8,1"));
    }

    void portMapFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PORT_MAP_FILE_NAME);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("COM2 = /dev/ttyUSB0\nnonsense\nCOM9=/dev/x\ncom4=/dev/pts/7\n");
        }
        PortMap map;
        map.load(path);
        QCOMPARE(map.deviceFor(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(map.deviceFor(2), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(map.deviceFor(3), QStringLiteral("/dev/ttyS2"));
        QCOMPARE(map.deviceFor(4), QStringLiteral("/dev/pts/7"));
        map.set(1, QStringLiteral("/dev/ttyACM0"));
        QVERIFY(map.save(path));
        PortMap again;
        again.load(path);
        QCOMPARE(again.deviceFor(1), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(again.deviceFor(4), QStringLiteral("/dev/pts/7"));
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
