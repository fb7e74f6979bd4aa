// Remote control of the program without windows: the session alone, in an application without widgets,
// over the emulated interface in simulated time.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "EmulatorOptionsOf.h"
#include "EmulatorPort.h"
#include "FakeClock.h"
#include "ScriptedDialogs.h"
#include "RemoteDialogs.h"
#include "ScpiSession.h"
#include "Session.h"
#include "SessionRemoteTarget.h"
#include "Version.h"

using namespace tk;
using namespace tk::test;

namespace {

// The session with its dialogs behind the remote ones, and one remote session whose files are in a folder
// of their own.
struct RemoteRig {
    QTemporaryDir home;
    QTemporaryDir folder;
    FakeClock clock;
    EmulatorPort emulator{clock, EmulatorOptionsOf({})};
    MeasurementModel model;
    ScriptedDialogs shown;
    RemoteDialogs dialogs{shown};
    PortMap portMap;
    Session program{{model, emulator, clock, dialogs, portMap}};
    SessionRemoteTarget target{program, dialogs, nullptr};
    std::shared_ptr<ScpiSession> session;
    QList<QByteArray> answers;

    RemoteRig() {
        program.Load(QDir(home.path()).filePath(QString::fromLatin1(PARAMETER_FILE_NAME)), QString());
        program.Timer().stop();  // nothing reads but the commands
        shown.messages.clear();  // the first start's "Cannot open file"
        session = ScpiSession::Create(target, folder.path(), [this](const QByteArray& a) { answers << a; });
        for (const char* f : {"limits/cispr32-class-b-mains.grn", "scripts/campaign.set"})
            QFile::copy(QStringLiteral(EXAMPLES_DIR "/") + QString::fromLatin1(f),
                        QDir(folder.path()).filePath(QFileInfo(QString::fromLatin1(f)).fileName()));
    }
    // The answer to a line that ends with a query.
    QByteArray ask(const QByteArray& line) {
        answers.clear();
        session->Receive(line);
        return answers.isEmpty() ? QByteArray("(none)") : answers.join("|").chopped(1);
    }
};

}  // namespace

class TestRemoteSession : public QObject {
    Q_OBJECT
private slots:
    void measurementAgainstTheClassBLimit() {
        RemoteRig rig;
        QCOMPARE(rig.ask("INST:CONN ON;INST:CONN?"), QByteArray("1"));
        QVERIFY(rig.ask("*IDN?").startsWith("ZELOR Instruments,TK820-2,"));
        rig.ask("MMEM:LOAD:STAT \"campaign.set\";:MMEM:LOAD:LIM \"cispr32-class-b-mains.grn\"");
        QCOMPARE(rig.ask("CALC:LIM:STAT ACT,ON;:INIT:IMM;*OPC?;:INIT:CONT?"), QByteArray("1;0"));
        QVERIFY(rig.ask("TRAC:TIME? ACT") != "\"--:--:--\"");
        QCOMPARE(rig.ask("CALC:LIM:FAIL?"), QByteArray("1"));
        const QList<QByteArray> margin = rig.ask("CALC:LIM:MARG? ACT").split(',');
        QVERIFY(margin[0].toDouble() < 0);
        QCOMPARE(margin[1], QByteArray("3.9"));
        QCOMPARE(rig.ask("MMEM:STOR:MEAS \"scan.mes\";*OPC?;:SYST:ERR?"), QByteArray("1;0,\"No error\""));
        QVERIFY(QFileInfo(QDir(rig.folder.path()).filePath(QStringLiteral("scan.mes"))).size() > 8000);
        QVERIFY(rig.shown.messages.isEmpty());
    }

    void messagesGoToTheErrorQueueNotToABox() {
        RemoteRig rig;
        QFile bad(QDir(rig.folder.path()).filePath(QStringLiteral("bad.set")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a settings file");
        bad.close();
        const float center = rig.model.settings.centerFreq;
        const QByteArray error = rig.ask("MMEM:LOAD:STAT \"bad.set\";*OPC?;:SYST:ERR?;:SYST:ERR?");
        QVERIFY2(error.startsWith("1;-200,\"Execution error;"), error);
        QVERIFY2(error.endsWith(";0,\"No error\""), error);
        QCOMPARE(rig.model.settings.centerFreq, center);
        QVERIFY(rig.shown.messages.isEmpty());
    }

    void resetRestoresTheStartUpDefaults() {
        RemoteRig rig;
        rig.ask("FREQ:CENT 12;UNIT:POW DBUV;FAST ON");
        QCOMPARE(rig.ask("*RST;FREQ:CENT?;UNIT:POW?;FAST?"), QByteArray("500;DBM;0"));
    }

    // A resolution set remotely reaches the interface before the next read, which is whole; a query sent
    // during that read (2400 baud, 4000 points: 17 s) is answered at once.
    void remoteResolutionAndAQueryDuringARead() {
        RemoteRig rig;
        rig.model.autoMeasurement = false;
        QCOMPARE(rig.ask("INST:CONN ON;SENS:RES 1;*OPC?"), QByteArray("1"));
        double askedAt = -1.0;
        double answeredAt = -1.0;
        QByteArray idn;
        // A second client, as lab software polling beside the one that measures.
        const auto other = ScpiSession::Create(rig.target, rig.folder.path(), [&](const QByteArray& a) {
            idn = a;
            answeredAt = rig.clock.seconds();
        });
        rig.program.Line().SetPump([&] {
            if (askedAt >= 0.0 || rig.model.blockIndex < 10) return;
            askedAt = rig.clock.seconds();
            other->Receive("*IDN?");
        });
        const double start = rig.clock.seconds();
        QCOMPARE(rig.ask("INIT:IMM;*OPC?;:SYST:ERR?"), QByteArray("1;0,\"No error\""));
        QVERIFY(rig.clock.seconds() - start > 3 * 17.0);
        QVERIFY(rig.emulator.device().received().endsWith("bobcasm"));
        QCOMPARE(rig.model.blockIndex, 40);
        QCOMPARE(rig.model.invalidTransferCount, 0);
        QVERIFY2(idn.startsWith("ZELOR Instruments,TK820-2,"), idn.constData());
        QCOMPARE(answeredAt, askedAt);
        QVERIFY(rig.shown.messages.isEmpty());
    }
};

int main(int argc, char** argv) {
    // An application without widgets: a widget made by a remote command would stop the test at once.
    QGuiApplication app(argc, argv);
    TestRemoteSession test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_remote_session.moc"
