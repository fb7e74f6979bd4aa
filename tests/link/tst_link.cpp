#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "AutoConfigure.h"
#include "FileBytes.h"
#include "LinkRig.h"
#include "ModuleCommands.h"
#include "ParameterFile.h"
#include "PortMapFile.h"
#include "Rows.h"
#include "StartUp.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
const Message kIgnored{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")};
using Found = std::optional<AutoConfigureResult>;

// As the search selects a port, makes it fail to open when it is listed in `absent`.
class AbsentPortsView final : public QuietSearchView {
public:
    explicit AbsentPortsView(ScriptedPort& port) : m_port(port) {}
    QList<int> absent;

private:
    void SelectPort(int portNumber) override { m_port.openFails = absent.contains(portNumber); }
    ScriptedPort& m_port;
};

struct Rig : LinkRig {
    AbsentPortsView searchView{port};

    void openPort() {
        QVERIFY(link.OpenPort());
        view.online = true;
    }
    // "bv" is the version query, "i3" the rate command with its digit, anything else a command.
    void send(const QByteArray& command) {
        if (command == "bv")
            link.ReadVersion();
        else
            command[0] == 'i' ? link.SendBaudCommand(command[1]) : link.SendCommand(command);
    }
    // The device answers "i" with the byte given for a rate, such as "9600=X 38400=I"; all else is silent.
    void interfaceAt(const QString& device, const QString& answers) {
        QHash<QString, char> byRate;
        for (const QString& a : answers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            byRate.insert(a.section(QLatin1Char('='), 0, 0) + QStringLiteral(",n,8,1"), a.back().toLatin1());
        port.responder = [this, device, byRate](char c, int) {
            const char answer = byRate.value(port.lineSettings());
            const bool there = c == 'i' && answer && port.openedDevices.last() == device;
            return there ? QByteArray(1, answer) : QByteArray();
        };
    }
    Found run() { return AutoConfigure(link, portMap, searchView).Run(); }
};

}  // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    // The far end answers each transmitted byte with the next of `replies` (nothing when they ran out).
    void exchange_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("ok");
        using B = QByteArray;
        using L = QByteArrayList;
        Row("echoed", B("bo"), L{"B", "O"}, B("bo"), true);
        Row("fourth try", B("bo"), L{"", "", "", "B", "O"}, B("bbbbo"), true);
        Row("second in lower case", B("bo"), L{"B", "o"}, B("bo"), false);
        Row("first answered wrongly", B("bo"), L{"X"}, B("b"), false);
        Row("rate digit echoed", B("i3"), L{"I", "3"}, B("i3"), true);
        Row("rate digit minus 32", B("i3"), L{"I", "\x13"}, B("i3"), false);
        Row("lower-case i", B("i3"), L{"i", "3"}, B("i"), false);
    }
    void exchange() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArrayList, replies);
        QFETCH(bool, ok);
        Rig r;
        r.openPort();
        r.port.responder = [&replies](char, int) {
            return replies.isEmpty() ? QByteArray() : replies.takeFirst();
        };
        r.send(command);
        QTEST(r.port.written, "written");
        QCOMPARE(r.port.isOpen(), ok);
        QCOMPARE(r.view.online, ok);
        QCOMPARE(r.dialogs.messages, ok ? QList<Message>() : QList<Message>{kIgnored});
    }

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
        // Three full reply timeouts of about a second each, then the fourth transmission fails at once.
        QVERIFY(r.clock.seconds() - t0 > 2.5 && r.clock.seconds() - t0 < 3.6);
        // Every later exchange does nothing.
        r.link.SendCommand("bo");
        r.link.SendBaudCommand('2');
        r.link.ReadVersion();
        r.link.SetLinkBaud();
        QCOMPARE(r.port.written, QByteArray("bbbb"));
        QCOMPARE(r.dialogs.messages.size(), 1);
    }

    // The receive buffer is cleared before each transmission of the first character and once before the
    // second, whose retransmissions keep what has arrived (the opening of the port cleared it once). The
    // version query clears once before its "b" and keeps what arrives across that letter's retransmissions.
    void buffersClearedBeforeTransmissions_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("seen");
        Row("command", QByteArray("bo"), QByteArray("b2b3o4o4o4"));
        Row("rate", QByteArray("i5"), QByteArray("i2i3545454"));
        Row("version", QByteArray("bv"), QByteArray("b2b2v3v3v3"));
    }
    void buffersClearedBeforeTransmissions() {
        QFETCH(QByteArray, command);
        Rig r;
        r.openPort();
        QByteArray seen;  // each transmitted character with the count of clears before it
        r.port.responder = [&](char c, int n) {
            seen += c + QByteArray::number(r.port.clearCount);
            return (c == command[0] && n < 2) || (c == command[1] && n < 3) ? QByteArray()
                                                                            : GoodInterface(c, n);
        };
        r.send(command);
        QTEST(seen, "seen");
        QVERIFY(r.port.isOpen());
    }

    void waitStartIsRoundedToWholeSecond_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("gap");
        Row("half to even, down", 100.5, 0.5);
        Row("half to even, up", 101.5, 1.5);
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

    void readVersion_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("version");
        Row("V in the middle", VersionBlock(40, "V1.23"), "V1.23");
        Row("first V wins", VersionBlock(10, "Vabcd").replace(50, 5, "V9.99"), "Vabcd");
        Row("exactly 89 bytes", VersionBlock(0, "V0.01", 89), "V0.01");
        Row("V beyond the first 80 bytes", VersionBlock(85, "V1.00"), "");
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

    // Without a known resolution no resolution command is sent; the sequence with one, the device and the
    // line settings are the serial setup's test.
    void connectSendsTheFullSequence() {
        Rig r;
        r.port.responder = GoodInterface;
        r.model.settings.baudIndex = 2;
        r.model.settings.resolution = 3;
        r.model.moduleCalculating = false;
        r.view.calculating = false;
        r.model.traceActual[10] = 99;
        const double t0 = r.clock.seconds();
        r.link.ConnectInterface();
        QCOMPARE(r.port.written, QByteArray("i2bvbobobr"));
        QVERIFY(r.dialogs.messages.isEmpty() && r.view.online && !r.view.sleeping);
        QCOMPARE(r.view.erased, 1);
        QCOMPARE(r.model.traceActual[10], 0);
        QVERIFY(r.model.moduleCalculating && r.view.calculating);  // the check mark follows the model
        QVERIFY(!r.model.moduleSleeping);
        // "bo" follows the version query once the settle delay of 2 s has passed since the whole second the
        // wait started at (t0 here), and not a poll later.
        const double settled = r.port.writeTimes.at(4) - t0;
        QVERIFY2(settled >= 2.0 && settled < 2.001, qPrintable(QString::number(settled)));
    }

    void moduleCommands() {
        Rig r;
        ModuleCommands commands(r.link);
        // Sleeping and calculating do nothing while the port is closed; "M&odule online" says nothing when
        // the port cannot open.
        commands.ToggleSleeping();
        commands.ToggleCalculating();
        QVERIFY(r.model.moduleSleeping && r.model.moduleCalculating);
        r.port.openFails = true;
        commands.ToggleOnline(false);
        QVERIFY(r.dialogs.messages.isEmpty() && r.port.written.isEmpty());
        r.port.openFails = false;

        r.port.responder = GoodInterface;
        commands.ToggleOnline(false);
        QVERIFY(r.view.online);
        QVERIFY(!r.model.moduleSleeping);
        QCOMPARE(r.port.written, QByteArray("bo"));
        commands.ToggleSleeping();
        QVERIFY(r.model.moduleSleeping && r.view.sleeping);
        QCOMPARE(r.model.timeActual.rightTrimmed(), r.clock.timeText());
        commands.ToggleSleeping();
        QVERIFY(!r.model.moduleSleeping && !r.view.sleeping);
        commands.ToggleCalculating();
        commands.ToggleCalculating();
        QCOMPARE(r.port.written, QByteArray("bobpbobnbr"));
        // Erasing clears the traces on screen, restarts the sweep at the resolution and redraws.
        r.model.traceActual[7] = 9;
        EraseDisplay(r.link);
        QCOMPARE(r.model.traceActual[7], 0);
        QCOMPARE(r.port.written, QByteArray("bobpbobnbrbf"));
        QCOMPARE(r.view.erased, 1);
        QCOMPARE(r.view.redraws, 1);
        commands.ToggleOnline(true);
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.view.online);
    }

    // The parameter file is written, measuring stops and the interface goes back to 2400 baud and sleeps.
    void shutdown() {
        QTemporaryDir dir;
        Rig r;
        r.port.responder = GoodInterface;
        r.model.settings.baudIndex = 4;
        r.port.setLineSettings(QStringLiteral("38400,N,8,1"));
        r.openPort();
        QVERIFY(RunShutdown(r.link, dir.filePath(PARAMETER_FILE_NAME)));
        QCOMPARE(r.port.written, QByteArray("bfi1bvbobp"));
        QCOMPARE(QFileInfo(dir.filePath(PARAMETER_FILE_NAME)).size(), PARAMETER_FILE_SIZE);
        QVERIFY(!r.model.autoMeasurement);
        QCOMPARE(r.model.settings.baudIndex, 1);
        QCOMPARE(r.port.lineSettings(), QStringLiteral("2400,N,8,1"));
    }

    void autoConfigure_data() {
        QTest::addColumn<QList<int>>("absent");  // ports that cannot be opened
        QTest::addColumn<QString>("device");     // where the interface is
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("portNumber");  // found, or 0
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("transmissions");  // four at each silent rate, one where an answer came
        const char* none = "No access to analyzer";
        // clang-format off
        Row("COM1 2400", QList<int>{}, "/dev/ttyS0", "2400=I", 1, 1, "Analyzer connected Com:  1 Baud: 2400", 1);
        Row("another byte skips the rate", QList<int>{}, "/dev/ttyS0", "9600=X 38400=I", 1, 4,
            "Analyzer connected Com:  1 Baud: 38400", 4 + 1 + 4 + 1);
        Row("lower case is no interface", QList<int>{}, "/dev/ttyS0", "2400=i", 0, 0, none, 1 + 19 * 4);
        Row("ports that fail to open are skipped", QList<int>{1, 3}, "/dev/ttyUSB3", "115200=I", 4, 5,
            "Analyzer connected Com:  4 Baud: 115200", 5 * 4 + 4 * 4 + 1);
        Row("nothing answers", QList<int>{}, "", "", 0, 0, none, 4 * 5 * 4);
        Row("no port opens", QList<int>{1, 2, 3, 4}, "", "", 0, 0, none, 0);
        // clang-format on
    }
    void autoConfigure() {
        QFETCH(QList<int>, absent);
        QFETCH(QString, device);
        QFETCH(QString, answers);
        QFETCH(int, portNumber);
        QFETCH(int, baudIndex);
        QFETCH(QString, message);
        QFETCH(int, transmissions);
        Rig r;
        r.openPort();  // COM2, as the link left it
        r.portMap.set(4, QStringLiteral("/dev/ttyUSB3"));
        r.searchView.absent = absent;
        r.interfaceAt(device, answers);
        QCOMPARE(r.run(), portNumber ? Found(AutoConfigureResult{portNumber, baudIndex}) : Found());
        QCOMPARE(r.dialogs.messages, (QList<Message>{{message, QStringLiteral("Auto config")}}));
        // The transmissions show the ports and rates tried in order up to the one found.
        QCOMPARE(r.port.written, QByteArray(transmissions, 'i'));
        // The port is let go, and shown so; the choice and the interface are left for the user's "&OK".
        QVERIFY(!r.port.isOpen() && !r.view.online);
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(1));
    }

    void portMapFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(PORT_MAP_FILE_NAME);
        QVERIFY(WriteBytes(
            path, "COM2 = /dev/ttyUSB0\nnonsense\nCOM9=/dev/x\ncom4=/dev/pts/7\nlpt4=/dev/usb/lp0\n"));
        PortMap map;
        map.load(path);
        map.set(5, QStringLiteral("/dev/x"));  // there is no fifth port to map
        map.setParallel(5, QStringLiteral("/dev/x"));
        QStringList devices;
        for (int n = 1; n <= 5; ++n) devices << map.deviceFor(n) << map.parallelDeviceFor(n);
        QCOMPARE(devices, (QStringList{"/dev/ttyS0", "/dev/lp0", "/dev/ttyUSB0", "/dev/lp1", "/dev/ttyS2",
                                       "/dev/lp2", "/dev/pts/7", "/dev/usb/lp0", "/dev/ttyS4", "/dev/lp4"}));
        // A run's --port overrides an entry of the file and leaves the others.
        const PortMap run = LoadPortMap(path, {{2, QStringLiteral("/dev/pts/9")}});
        QCOMPARE(run.deviceFor(2), QStringLiteral("/dev/pts/9"));
        QCOMPARE(run.deviceFor(4), QStringLiteral("/dev/pts/7"));
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
