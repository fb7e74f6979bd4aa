// End to end on the real clock: the link layer on the real serial port, talking to the emulated interface
// served on a pseudo-terminal from a thread of the test.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>
#include <thread>

#include "AnalyzerLink.h"
#include "PtyServer.h"
#include "QtSerialPort.h"
#include "RecordingLinkView.h"
#include "Rows.h"
#include "ScriptedDialogs.h"

using namespace tk;
using namespace tk::test;

namespace {

// Reads until n bytes came or the real time ran out.
QByteArray ReadFor(SerialPort& port, int n, int ms) {
    QElapsedTimer timer;
    timer.start();
    QByteArray got;
    while (got.size() < n && timer.elapsed() < ms) {
        if (port.bytesWaiting() == 0) port.waitForData(10);
        got += port.read(n - static_cast<int>(got.size()));
    }
    return got;
}

// A bare pseudo-terminal: the port opens its slave side, the test keeps the master and a second handle on
// the slave to look at its settings and to hold its output.
struct Pty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QString slave = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                        ? QString::fromLocal8Bit(::ptsname(master))
                        : QString();
    int observer = slave.isEmpty() ? -1 : ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ~Pty() {
        if (observer >= 0) ::close(observer);
        if (master >= 0) ::close(master);
    }
};

}  // namespace

class TestEmulatorPty : public QObject {
    Q_OBJECT
private slots:
    void connectsAt115200AndReadsATrace() {
        SystemClock clock;
        emu::PtyServer server(emu::DeviceConfig(), clock);
        QString error;
        QVERIFY2(server.open(&error), qPrintable(error));
        std::thread serving([&server] { server.serve(); });
        const auto finish = qScopeGuard([&] {
            if (!serving.joinable()) return;
            server.stop();
            serving.join();
        });

        QtSerialPort port;
        PortMap portMap;
        portMap.set(2, server.slavePath());
        MeasurementModel model;
        model.settings.baudIndex = 5;
        model.parameters.settleDelay = 0;  // keeps the test short; the pause then lasts at most half a second
        ScriptedDialogs dialogs;
        RecordingLinkView view;
        AnalyzerLink link(model, port, clock, dialogs, view, portMap);
        QElapsedTimer timer;
        timer.start();
        link.ConnectInterface();
        QCOMPARE(dialogs.messages, QList<ScriptedDialogs::Message>());
        QCOMPARE(port.lineSettings(), QStringLiteral("115200,N,8,1"));

        // A trace at the new rate: five numbered blocks of the actual sweep.
        port.clearBuffers();
        port.write("a");
        const QByteArray trace = ReadFor(port, 5 * 102, 1000);
        QCOMPARE(trace.size(), 5 * 102);
        for (int n = 0; n < 5; ++n) QCOMPARE(trace.mid(n * 102, 2), QByteArray("A") + char(n));
        // The interface now runs at 115200: a byte sent at 2400 is lost on the way.
        port.setLineSettings(QStringLiteral("2400,N,8,1"));
        port.write("b");
        QCOMPARE(ReadFor(port, 1, 150), QByteArray());
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));

        server.stop();
        serving.join();
        QCOMPARE(server.device().received(), QByteArray("i5bvbobfbobrab"));
    }

    // Each flow control of a script step's control port reaches the open port's termios, both together too.
    void flowControlOnTheOpenPort_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<bool>("rtsCts");
        QTest::addColumn<bool>("xonXoff");
        Row("none", int(FlowControl::None), false, false);
        Row("Xon/Xoff", int(FlowControl::XonXoff), false, true);
        Row("RTS", int(FlowControl::Rts), true, false);
        Row("Xon/RTS", int(FlowControl::XonXoffAndRts), true, true);
    }
    void flowControlOnTheOpenPort() {
        QFETCH(int, flow);
        Pty pty;
        QVERIFY(pty.observer >= 0);
        QtSerialPort port;
        port.setLineSettings(QStringLiteral("9600,N,8,1"));
        // As a step sets up its port: settings first, then open; and again on the open port.
        QVERIFY(port.setFlowControl(static_cast<FlowControl>(flow)));
        QVERIFY(port.open(pty.slave));
        for (int pass = 0; pass < 2; ++pass) {
            termios tio{};
            QCOMPARE(::tcgetattr(pty.observer, &tio), 0);
            QFETCH(bool, rtsCts);
            QFETCH(bool, xonXoff);
            QCOMPARE((tio.c_cflag & CRTSCTS) != 0, rtsCts);
            QCOMPARE((tio.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF), xonXoff);
            QVERIFY(port.setFlowControl(FlowControl::None));
            QVERIFY(port.setFlowControl(static_cast<FlowControl>(flow)));
        }
    }

    // Output held off by flow control: the write returns at once and the byte counts as not yet sent until
    // the line lets it go.
    void heldOffOutputIsNotSent() {
        Pty pty;
        QVERIFY(pty.observer >= 0);
        QtSerialPort port;
        QVERIFY(port.open(pty.slave));
        QCOMPARE(::tcflow(pty.observer, TCOOFF), 0);
        QElapsedTimer timer;
        timer.start();
        port.write("x");
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(port.bytesToWrite(), 1);
        QCOMPARE(::tcflow(pty.observer, TCOON), 0);
        QCOMPARE(port.bytesToWrite(), 0);
        char got = 0;
        QCOMPARE(::read(pty.master, &got, 1), ssize_t(1));
        QCOMPARE(got, 'x');
        // A closed port has nothing waiting either way.
        port.close();
        QCOMPARE(port.bytesWaiting(), 0);
        QCOMPARE(port.bytesToWrite(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEmulatorPty)
#include "tst_emulator_pty.moc"
